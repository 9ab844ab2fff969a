#include "tools/waga-sim/wire_model.h"

#include <bit>

namespace {

constexpr std::string_view kParityLetters = "NOEMS";

bool ParityBit(Parity parity, unsigned data) {
  const bool odd = std::popcount(data) % 2 != 0;
  switch (parity) {
    case Parity::Odd: return !odd;
    case Parity::Even: return odd;
    case Parity::Mark: return true;
    case Parity::Space: case Parity::None: return false;
  }
  return false;
}

// The sender's line, one level per half bit.
std::vector<bool> LineHalves(const LineFormat& sender, std::string_view bytes) {
  std::vector<bool> halves;
  halves.reserve(bytes.size() * static_cast<std::size_t>(FrameHalves(sender)));
  auto bit = [&](bool level) { halves.insert(halves.end(), 2, level); };
  for (const char byte : bytes) {
    const unsigned data = static_cast<unsigned char>(byte) & ((1u << sender.dataBits) - 1);
    bit(false);
    for (int i = 0; i < sender.dataBits; ++i) bit((data >> i) & 1u);
    if (sender.parity != Parity::None) bit(ParityBit(sender.parity, data));
    halves.insert(halves.end(), static_cast<std::size_t>(sender.stopHalves), true);
  }
  return halves;
}

}  // namespace

std::optional<LineFormat> ParseLineFormat(std::string_view text, std::uint32_t baud) {
  if (text.size() < 3 || text[0] < '5' || text[0] > '8') return std::nullopt;
  const auto parity = kParityLetters.find(text[1]);
  const std::string_view stop = text.substr(2);
  if (parity == std::string_view::npos || (stop != "1" && stop != "1.5" && stop != "2")) return std::nullopt;
  return LineFormat{baud, text[0] - '0', static_cast<Parity>(parity), stop == "1" ? 2 : stop == "2" ? 4 : 3};
}

std::string LineFormatText(const LineFormat& format) {
  return std::to_string(format.dataBits) + kParityLetters[static_cast<std::size_t>(format.parity)] +
         (format.stopHalves == 2 ? "1" : format.stopHalves == 4 ? "2" : "1.5");
}

int FrameHalves(const LineFormat& format) {
  return 2 * (1 + format.dataBits + (format.parity != Parity::None ? 1 : 0)) + format.stopHalves;
}

std::vector<ReceivedByte> ReceiveOverWire(const LineFormat& sender, const LineFormat& receiver,
                                          std::string_view bytes) {
  // Time counts in units of 1 / (2 * sender baud * receiver baud) seconds:
  // a sender's half bit lasts `senderHalf`, a receiver's bit `receiverBit`.
  const std::vector<bool> halves = LineHalves(sender, bytes);
  const std::int64_t senderHalf = receiver.baud;
  const std::int64_t receiverBit = 2 * static_cast<std::int64_t>(sender.baud);
  auto level = [&](std::int64_t t) {
    const std::int64_t half = t / senderHalf;
    return half >= static_cast<std::int64_t>(halves.size()) || halves[static_cast<std::size_t>(half)];
  };

  std::vector<ReceivedByte> received;
  std::size_t edge = 0;        // the half where the search for a falling edge goes on
  std::int64_t after = -1;     // an edge must come later than this time
  for (;;) {
    // A falling edge: a low half after a high one (the line idles high before the first).
    while (edge < halves.size() &&
           (halves[edge] || (edge > 0 && !halves[edge - 1]) || static_cast<std::int64_t>(edge) * senderHalf <= after))
      ++edge;
    if (edge >= halves.size()) return received;
    const std::int64_t start = static_cast<std::int64_t>(edge) * senderHalf;
    auto sample = [&](int bit) { return level(start + bit * receiverBit + receiverBit / 2); };
    if (sample(0)) {  // a glitch, not a start bit
      after = start + receiverBit / 2;
      continue;
    }
    ReceivedByte byte;
    unsigned data = 0;
    for (int i = 0; i < receiver.dataBits; ++i) data |= static_cast<unsigned>(sample(1 + i)) << i;
    byte.value = static_cast<std::uint8_t>(data);
    int next = 1 + receiver.dataBits;
    if (receiver.parity != Parity::None) byte.parityError = sample(next++) != ParityBit(receiver.parity, data);
    byte.framingError = !sample(next);
    received.push_back(byte);
    after = start + next * receiverBit + receiverBit / 2;
  }
}
