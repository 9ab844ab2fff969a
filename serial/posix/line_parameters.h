#pragma once

#include <cstdint>

#include "serial/posix/line_state.h"
#include "serial/serial_device.h"

// How a modem output line is to be held once the line parameters are set.
enum class HeldLine { Off, On, ByDriver };

struct ModemLineRequest {
  HeldLine dtr = HeldLine::Off;
  HeldLine rts = HeldLine::Off;
};

// The raw-mode line state for a device control block. Only the line
// discipline is taken over from `current`. Returns 0, or EINVAL when the
// block asks for something no device can do (rate 0, a byte size outside
// 5..8, an unknown parity or stop-bit code, equal XON and XOFF characters
// with XON/XOFF flow control).
int TranslateLineParameters(const DeviceControlBlock& block, const LineState& current,
                            LineState& result);

ModemLineRequest HeldModemLines(const DeviceControlBlock& block);

// The output rate in bits per second that a line state selects; 0 for B0 or
// an unknown rate code.
std::uint32_t OutputRate(const LineState& state);
