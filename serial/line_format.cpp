#include "serial/line_format.h"

#include <cctype>
#include <optional>

namespace {

constexpr const char* kExamples = "; przyk\xB3" "ady: 8N1, 7E1, 8N2 rtscts, 7O1 xonxoff";

std::string Lower(std::string_view word) {
  std::string result(word);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

std::optional<LineFlow> FlowWord(const std::string& word) {
  if (word == "none") return LineFlow::None;
  if (word == "rtscts") return LineFlow::RtsCts;
  if (word == "xonxoff") return LineFlow::XonXoff;
  return std::nullopt;
}

// "8N1" and the like; the reason of a refusal in `why`.
bool ParseShortForm(const std::string& word, PortLineFormat& format, std::string& why) {
  if (word.size() < 3 || word[0] < '0' || word[0] > '9') {
    why = "nieznane s\xB3owo";
    return false;
  }
  if (word[0] < '5' || word[0] > '8') {
    why = "bit\xF3w danych mo\xBF" "e by\xE6 od 5 do 8";
    return false;
  }
  constexpr std::string_view kParities = "noems";
  const std::size_t parity = kParities.find(word[1]);
  if (parity == std::string_view::npos) {
    why = "parzysto\x9C\xE6 to N (brak), O (nieparzysta), E (parzysta), M (znacznik) lub S (odst\xEAp)";
    return false;
  }
  const std::string_view stop = std::string_view(word).substr(2);
  std::uint8_t stopBits = 0;
  if (stop == "1") {
    stopBits = 0;
  } else if (stop == "1.5" || stop == "1,5") {
    stopBits = 1;
  } else if (stop == "2") {
    stopBits = 2;
  } else {
    why = "bity stopu to 1, 1.5 lub 2";
    return false;
  }
  format.dataBits = static_cast<std::uint8_t>(word[0] - '0');
  format.parity = static_cast<std::uint8_t>(parity);
  format.stopBits = stopBits;
  return true;
}

}  // namespace

bool ParseLineFormat(std::string_view text, PortLineFormat& format, std::string& error) {
  PortLineFormat result;
  bool shortFormSeen = false;
  bool flowSeen = false;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty()) {
    if (blank(text.front())) {
      text.remove_prefix(1);
      continue;
    }
    std::size_t length = 0;
    while (length < text.size() && !blank(text[length])) ++length;
    const std::string_view original = text.substr(0, length);
    text.remove_prefix(length);
    const std::string word = Lower(original);
    std::string why;
    if (const std::optional<LineFlow> flow = FlowWord(word)) {
      if (flowSeen) why = "sterowanie przep\xB3ywem podane drugi raz";
      result.flow = *flow;
      flowSeen = true;
    } else if (shortFormSeen) {
      why = word.empty() || word[0] < '0' || word[0] > '9' ? "nieznane s\xB3owo"
                                                           : "format znak\xF3w podany drugi raz";
    } else if (ParseShortForm(word, result, why)) {
      shortFormSeen = true;
    }
    if (!why.empty()) {
      error = "format linii \x84" + std::string(original) + "\x94: " + why + kExamples;
      return false;
    }
    result.given = true;
  }
  format = result;
  return true;
}

void ApplyLineFormat(const PortLineFormat& format, DeviceControlBlock& block) {
  if (!format.given) return;
  block.ByteSize = format.dataBits;
  block.Parity = format.parity;
  block.StopBits = format.stopBits;
  block.Flags &= ~(dcb::fOutxCtsFlow | dcb::fOutX | dcb::fInX);
  const std::uint32_t rts = block.Flags & dcb::fRtsControlMask;
  if (format.flow == LineFlow::RtsCts) {
    block.Flags = (block.Flags & ~dcb::fRtsControlMask) | dcb::fOutxCtsFlow | dcb::fRtsControlHandshake;
  } else if (rts == dcb::fRtsControlHandshake) {
    // Without RTS/CTS the line is held on, as a terminal that is ready.
    block.Flags = (block.Flags & ~dcb::fRtsControlMask) | dcb::fRtsControlEnable;
  }
  if (format.flow == LineFlow::XonXoff) {
    block.Flags |= dcb::fOutX | dcb::fInX;
    if (block.XonChar == block.XoffChar) {
      block.XonChar = 17;
      block.XoffChar = 19;
    }
  }
}
