#include "config/settings/transmission.h"

#include <array>
#include <exception>
#include <optional>

#include "text/number_text.h"
#include "serial/com_port.h"

int PortItemIndex(const std::string& port) {
  if (port.size() <= 3) return -1;
  const std::optional<std::int32_t> number = TextToInt(std::string_view(port).substr(3));
  if (!number || *number < 1 || *number > kPortItems) return -1;
  return *number - 1;
}

int SpeedItemIndex(TBaudRate rate) {
  return IsOfferedRate(rate) ? rate - kFirstOfferedRate : -1;
}

void ApplyTransmissionChoice(TCustomComPort& port, int portItem, int speedItem) {
  if (port.Connected()) {
    try {
      port.Close();
    } catch (const std::exception&) {
      // The new settings are set and tried in any case.
    }
  }
  if (portItem >= 0 && portItem < kPortItems) port.SetPort("COM" + std::to_string(portItem + 1));
  if (speedItem >= 0 && speedItem < kSpeedItems) {
    port.SetBaudRate(static_cast<TBaudRate>(kFirstOfferedRate + speedItem));
  }
}

namespace {

constexpr std::int32_t kShortestInterval = 50;
constexpr std::int32_t kLongestInterval = 3'600'000;  // an hour

constexpr std::array<const char*, kProtocolIds.size()> kProtocolItems = {
    "liczba (sama liczba)",
    "jednostka (liczba z jednostką)",
    "si (stan i liczba: S S  100.00 g)",
    "st (nagłówek: ST,GS,+0012.34kg)",
    "esc_p (ESC P: +   12.50 kg)",
    "ramka (polecenie i stabilność: SI ?  18.5 kg)"};

}  // namespace

std::string ProtocolItemText(ProtocolId protocol) {
  return kProtocolItems[static_cast<std::size_t>(protocol)];
}

ProtocolChoice ProtocolChoiceOf(const PortProtocolSettings& settings) {
  return {static_cast<int>(settings.protocol), EncodeRequestText(settings.request),
          std::to_string(settings.intervalMs)};
}

std::optional<PortProtocolSettings> ReadProtocolChoice(const ProtocolChoice& choice,
                                                       const PortProtocolSettings& base,
                                                       std::string& reason) {
  PortProtocolSettings settings = base;
  if (choice.protocolItem >= 0 && choice.protocolItem < static_cast<int>(kProtocolIds.size()))
    settings.protocol = kProtocolIds[static_cast<std::size_t>(choice.protocolItem)];
  const std::optional<std::string> request = DecodeRequestText(choice.requestText);
  if (!request) {
    reason = "Błędne zapytanie: po \\ może stać tylko r, n, t, \\ albo x i dwie cyfry szesnastkowe.";
    return std::nullopt;
  }
  settings.request = *request;
  const std::string interval = choice.intervalText.empty() ? "0" : choice.intervalText;
  const std::optional<std::int32_t> ms = TextToInt(interval);
  if (!ms || *ms < 0 || (*ms > 0 && *ms < kShortestInterval) || *ms > kLongestInterval ||
      interval.find_first_not_of("0123456789") != std::string::npos) {
    reason = "Co ile ms: podaj 0 (bez zapytań) albo liczbę od 50 do 3600000.";
    return std::nullopt;
  }
  settings.intervalMs = *ms;
  return settings;
}
