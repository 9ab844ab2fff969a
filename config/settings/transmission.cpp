#include "config/settings/transmission.h"

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
