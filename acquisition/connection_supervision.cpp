#include "acquisition/connection_supervision.h"

#include <exception>

#include "acquisition/text/umy_fun.h"
#include "acquisition/text/win1250.h"

namespace {

std::string PortAndSpeed(const std::string& port, TBaudRate rate) {
  return "port " + port + ", " + BaudRateDigits(rate) + "bps";
}

}  // namespace

std::string ConnectedStatusText(const std::string& port, TBaudRate rate) {
  return PortAndSpeed(port, rate);
}

std::string NotConnectedStatusText(const std::string& port, TBaudRate rate) {
  return Utf8ToCp1250("brak połączenia! (") + PortAndSpeed(port, rate) + ")";
}

std::string ClosingStatusText() { return "zamykam port"; }

void ConnectScalePort(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  std::string failure;
  bool failed = false;
  try {
    port.Open();
  } catch (const std::exception& e) {
    failed = true;
    failure = e.what();
  } catch (...) {
    failed = true;
    failure = Utf8ToCp1250("nieznany błąd");
  }
  if (failed) {
    state.LastPortError = failure;
    screen.SetStatusPanel1(NotConnectedStatusText(port.Port(), port.BaudRate()));
    screen.SetStatusPanel1Hint(failure);
    return;
  }
  if (port.Connected()) {
    screen.SetStatusPanel1(ConnectedStatusText(port.Port(), port.BaudRate()));
    screen.SetStatusPanel1Hint(std::string());
  }
}

void Timer1Timer(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  if (screen.DisplayCaption() == kNoReadingMark && port.Connected()) {
    screen.SetStatusPanel1(ClosingStatusText());
    try {
      port.Close();
    } catch (const std::exception& e) {
      state.LastPortError = e.what();
    } catch (...) {
    }
  }
  if (!port.Connected()) ConnectScalePort(port, screen, state);
  if (Now() - state.LastLineTime > kStaleLineAge) screen.SetDisplayCaption(kNoReadingMark);
}
