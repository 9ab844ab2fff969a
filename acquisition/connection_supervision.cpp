#include "acquisition/connection_supervision.h"

#include <cerrno>
#include <cmath>
#include <exception>

#include "acquisition/line_processing.h"
#include "serial/com_errors.h"

#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

std::string PortAndSpeed(const std::string& port, TBaudRate rate) {
  return "port " + port + ", " + BaudRateDigits(rate) + "bps";
}

// Whole seconds without a line, once the display shows the mark; else 0.
int SilentSeconds(const AcquisitionState& state) {
  const TDateTime age = Now() - state.LastLineTime;
  return age > kStaleLineAge ? static_cast<int>(std::lround(age * 86400)) : 0;
}

void ShowConnectedHint(const ScalePort& port, ScaleScreen& screen, const AcquisitionState& state) {
  screen.SetStatusPanel1Hint(ConnectedHint(state.OpenedMapping, port.Line(), SilentSeconds(state)));
}

}  // namespace

std::string ConnectedStatusText(const std::string& port, TBaudRate rate) {
  return PortAndSpeed(port, rate);
}

std::string NotConnectedStatusText(const std::string& port, TBaudRate rate) {
  return Utf8ToCp1250("brak połączenia! (") + PortAndSpeed(port, rate) + ")";
}

std::string ClosingStatusText() { return "zamykam port"; }

std::string SearchStatusText(const std::string& port) { return "port " + port + ": szukam wagi"; }

void LendPortToSearch(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  state.DetectionRunning = true;
  try {
    port.Close();
  } catch (const std::exception& e) {
    state.LastPortError = e.what();
  } catch (...) {
  }
  screen.SetStatusPanel1(SearchStatusText(port.Port()));
  screen.SetStatusPanel1Hint(
      "Okno Ustawienia transmisji szuka wagi na tym porcie; program otworzy go znowu, gdy szukanie się skończy.");
}

void TakePortBackFromSearch(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  state.DetectionRunning = false;
  if (!port.Connected()) ConnectScalePort(port, screen, state);
}

std::string PortFailureHint(const ScalePort& port, const AcquisitionState& state,
                            const PortProblem& problem) {
  PortSituation situation = ObservePort(port.Port(), std::string(), port.Line(), SystemRoots{},
                                        CurrentUser(), problem.systemError == EBUSY);
  situation.wasOpen = !state.OpenedMapping.path.empty() &&
                      state.OpenedMapping.path == situation.mapping.path;
  return FailureHint(situation, problem);
}

void ConnectScalePort(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  PortProblem problem;
  bool failed = false;
  try {
    port.Open();
  } catch (const EComPort& e) {
    failed = true;
    problem = {e.ErrorCode(), e.SystemError(), e.what()};
  } catch (const std::exception& e) {
    failed = true;
    problem.message = e.what();
  } catch (...) {
    failed = true;
    problem.message = Utf8ToCp1250("nieznany błąd");
  }
  if (failed) {
    state.LastPortError = problem.message;
    screen.SetStatusPanel1(NotConnectedStatusText(port.Port(), port.BaudRate()));
    problem.message = Cp1250ToUtf8(problem.message);
    screen.SetStatusPanel1Hint(PortFailureHint(port, state, problem));
    return;
  }
  if (port.Connected()) {
    state.OpenedMapping = MappingInEffect(port.Port(), std::string());
    screen.SetStatusPanel1(ConnectedStatusText(port.Port(), port.BaudRate()));
    ShowConnectedHint(port, screen, state);
  }
}

void Timer1Timer(ScalePort& port, ScaleScreen& screen, AcquisitionState& state) {
  if (state.DetectionRunning) return;
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
  if (Now() - state.LastLineTime > kStaleLineAge) ShowNoReading(screen, state);
  if (port.Connected()) ShowConnectedHint(port, screen, state);
}
