#pragma once

// The line format that porty.ini may give a port after its target: data bits,
// parity and stop bits in the usual short form ("8N1", "7E1", "8N1.5"), and
// a flow control word ("none", "rtscts", "xonxoff"), in any order, letter
// case ignored, each at most once. Empty text is the component's own settings.

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/serial_device.h"

enum class LineFlow { None, RtsCts, XonXoff };

struct PortLineFormat {
  std::uint8_t dataBits = 8;
  std::uint8_t parity = 0;    // as in the device control block: 0 none .. 4 space
  std::uint8_t stopBits = 0;  // as in the device control block: 0 one, 1 one and a half, 2 two
  LineFlow flow = LineFlow::None;
  bool given = false;  // false: no format, the component's settings stand

  bool operator==(const PortLineFormat&) const = default;
};

// Parses the format words. On a refusal returns false and puts a sentence in
// Polish (Windows-1250) into `error` that names the word and the allowed
// forms; `format` is then left as it was.
bool ParseLineFormat(std::string_view text, PortLineFormat& format, std::string& error);

// Puts a given format into the block: byte size, parity, stop bits and the
// flow control flags (RTS/CTS: CTS watched and RTS by handshake; XON/XOFF:
// both directions). Everything else of the block stays.
void ApplyLineFormat(const PortLineFormat& format, DeviceControlBlock& block);
