#pragma once

// The wire between a scale's UART and the program's: what a receiver set to
// one speed and frame format takes from a line that a sender drives at
// another. The line idles high; a frame is a start bit (low), the data bits
// from the lowest, the parity bit if any and the stop bits (high). The
// receiver starts a frame on a falling edge of the line, samples each bit in
// its middle (at its own speed), flags a framing error when the stop bit is
// sampled low and a parity error when the parity bit does not match, and
// then waits for the next falling edge. A start bit sampled high is a
// glitch: the receiver goes back to waiting. A sample that falls exactly on
// an edge of the sender's bits reads the bit that begins there.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };

struct LineFormat {
  std::uint32_t baud = 9600;
  int dataBits = 8;      // 5 to 8
  Parity parity = Parity::None;
  int stopHalves = 2;    // the stop bits in halves: 2, 3 (one and a half) or 4

  bool operator==(const LineFormat&) const = default;
};

// "8N1", "7E1", "7O1", "8E2", "7N2" (data bits 5-8, parity N, E, O, M or S,
// stop bits 1, 1.5 or 2) at `baud`; nothing for any other text.
std::optional<LineFormat> ParseLineFormat(std::string_view text, std::uint32_t baud);
std::string LineFormatText(const LineFormat& format);
// The time on the wire of one frame, in half bits.
int FrameHalves(const LineFormat& format);

struct ReceivedByte {
  std::uint8_t value = 0;  // the data bits sampled, the lowest first
  bool framingError = false;
  bool parityError = false;

  bool operator==(const ReceivedByte&) const = default;
};

// What the receiver takes from `bytes` sent frame after frame without a
// gap, with the line idle before and after them. Speeds must be above 0.
std::vector<ReceivedByte> ReceiveOverWire(const LineFormat& sender, const LineFormat& receiver,
                                          std::string_view bytes);
