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

// The kernel's fixed rate code for bits per second (B9600 for 9600), or
// kArbitraryRateCode for a rate that has none.
std::uint32_t RateCodeFor(std::uint32_t rate);

// True for the rates the kernel has a fixed code for: the standard speeds,
// which every serial driver can set; other rates need the arbitrary-rate
// code, which many adapters refuse.
bool IsKernelStandardRate(std::uint32_t rate);

// True when the line state read back after applying `wanted` has every
// field that the component asks for: byte size, parity (mark and space
// included), stop bits, RTS/CTS and XON/XOFF flow control, parity checking
// and a rate within 3% of the wanted one. Drivers drop what their hardware
// cannot do without failing the request.
bool LineSettingsTook(const LineState& wanted, const LineState& applied);

// The output rate in bits per second that a line state selects; 0 for B0 or
// an unknown rate code.
std::uint32_t OutputRate(const LineState& state);
