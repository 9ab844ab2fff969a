#include "serial/com_texts.h"

#include <array>
#include <cctype>

#include "serial/int_text.h"
#include "serial/serial_device.h"

namespace {

constexpr std::array<std::string_view, 16> kBaudRateTexts = {
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<std::string_view, 3> kStopBitsTexts = {"1", "1.5", "2"};
constexpr std::array<std::string_view, 4> kDataBitsTexts = {"5", "6", "7", "8"};
constexpr std::array<std::string_view, 5> kParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<std::string_view, 4> kFlowControlTexts = {"Hardware", "Software", "None",
                                                               "Custom"};
constexpr std::array<std::string_view, 3> kDTRTexts = {"Disable", "Enable", "Handshake"};
constexpr std::array<std::string_view, 4> kRTSTexts = {"Disable", "Enable", "Handshake", "Toggle"};

// Device mask bit of each event, indexed by the event's ordinal.
constexpr std::array<std::uint32_t, 10> kEventMaskBits = {
    ev::RXCHAR, ev::TXEMPTY, ev::RXFLAG, ev::RING, ev::BREAK,
    ev::CTS,    ev::DSR,     ev::ERR,    ev::RLSD, ev::RX80FULL};

template <typename E, std::size_t N>
std::string ToText(const std::array<std::string_view, N>& texts, E value) {
  const auto index = static_cast<std::size_t>(value);
  return index < N ? std::string(texts[index]) : std::string();
}

template <typename E, std::size_t N>
E FromText(const std::array<std::string_view, N>& texts, std::string_view text, E noMatch) {
  for (std::size_t i = 0; i < N; ++i) {
    if (SameIgnoringCase(texts[i], text)) return static_cast<E>(i);
  }
  return noMatch;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string BaudRateToText(TBaudRate value) { return ToText(kBaudRateTexts, value); }
std::string StopBitsToText(TStopBits value) { return ToText(kStopBitsTexts, value); }
std::string DataBitsToText(TDataBits value) { return ToText(kDataBitsTexts, value); }
std::string ParityToText(TParityBits value) { return ToText(kParityTexts, value); }
std::string FlowControlToText(TFlowControl value) { return ToText(kFlowControlTexts, value); }
std::string DTRControlToText(TDTRFlowControl value) { return ToText(kDTRTexts, value); }
std::string RTSControlToText(TRTSFlowControl value) { return ToText(kRTSTexts, value); }

TBaudRate TextToBaudRate(std::string_view text) { return FromText(kBaudRateTexts, text, br9600); }
TStopBits TextToStopBits(std::string_view text) {
  return FromText(kStopBitsTexts, text, sbOneStopBit);
}
TDataBits TextToDataBits(std::string_view text) { return FromText(kDataBitsTexts, text, dbEight); }
TParityBits TextToParity(std::string_view text) { return FromText(kParityTexts, text, prNone); }
TFlowControl TextToFlowControl(std::string_view text) {
  return FromText(kFlowControlTexts, text, fcCustom);
}
TDTRFlowControl TextToDTRControl(std::string_view text) {
  return FromText(kDTRTexts, text, dtrDisable);
}
TRTSFlowControl TextToRTSControl(std::string_view text) {
  return FromText(kRTSTexts, text, rtsDisable);
}

std::string BoolToText(bool value) { return value ? "Yes" : "No"; }
bool TextToBool(std::string_view text) { return SameIgnoringCase(text, "YES"); }

std::string CharToText(char value) {
  const auto code = static_cast<unsigned char>(value);
  if (code >= 33 && code <= 127) return std::string(1, value);
  return "#" + std::to_string(code);
}

char TextToChar(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] == '#' && text.size() > 1) {
    const auto number = TextToInt(text.substr(1));
    if (!number) return 0;
    return static_cast<char>(static_cast<std::uint32_t>(*number) & 0xFF);
  }
  return text[0];
}

std::uint32_t EventsToMask(TComEvents events) {
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < kEventMaskBits.size(); ++i) {
    if (events.Contains(static_cast<TComEvent>(i))) mask |= kEventMaskBits[i];
  }
  return mask;
}

TComEvents MaskToEvents(std::uint32_t mask) {
  TComEvents events;
  for (std::size_t i = 0; i < kEventMaskBits.size(); ++i) {
    if ((mask & kEventMaskBits[i]) != 0) events.Include(static_cast<TComEvent>(i));
  }
  return events;
}

std::string NormalizePortName(std::string_view text) {
  std::string_view digits = text;
  if (text.size() >= 3 && SameIgnoringCase(text.substr(0, 3), "COM")) digits = text.substr(3);
  std::int32_t number = TextToInt(digits).value_or(1);
  if (number < 1 || number > 16) number = 1;
  return "COM" + std::to_string(number);
}
