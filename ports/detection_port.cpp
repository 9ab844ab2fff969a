#include "ports/detection_port.h"

#include <cerrno>

#include "serial/baud_rate.h"

ComDetectionPort::ComDetectionPort(std::string port, std::string portMapFile)
    : portName_(std::move(port)), portMapFile_(std::move(portMapFile)) {}

ComDetectionPort::~ComDetectionPort() { Close(); }

void SetPortSpeed(TCustomComPort& port, std::uint32_t speed) {
  for (const BaudRateFacts& facts : kBaudRates) {
    if (facts.rate != brCustom && facts.bitsPerSecond == speed) {
      port.SetBaudRate(facts.rate);
      return;
    }
  }
  port.SetCustomBaudRate(static_cast<std::int32_t>(speed));
  port.SetBaudRate(brCustom);
}

bool ComDetectionPort::Open(std::uint32_t speed, const PortLineFormat& format, PortProblem& problem) {
  Close();
  port_ = std::make_unique<TComPort>("ComPortDetect", DetectionDevice(portMapFile_, format));
  TComPort& port = *port_;
  port.SetHandoff(&handoff_);
  port.SetPort(portName_);
  SetPortSpeed(port, speed);
  port.SetDataBits(format.dataBits == 7 ? dbSeven : dbEight);
  port.Parity().SetBits(static_cast<TParityBits>(format.parity));
  port.Parity().SetCheck(format.parity != 0);
  port.SetStopBits(format.stopBits == 2 ? sbTwoStopBits : sbOneStopBit);
  received_.clear();
  errors_ = 0;
  port.OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
    std::string text;
    sender.ReadString(text, count);
    received_ += text;
  };
  port.OnError = [this](TCustomComPort&, TComErrors) { ++errors_; };
  try {
    port.Open();
  } catch (const EComPort& e) {
    problem = PortProblem{e.ErrorCode(), e.SystemError(), e.what()};
    port_.reset();
    return false;
  }
  // What waited in the device was received at the settings of before.
  if (SerialDevice* device = port.Device()) device->Purge(purge::RXABORT | purge::RXCLEAR);
  received_.clear();
  errors_ = 0;
  return true;
}

void ComDetectionPort::Read(DetectionClock::time_point deadline, std::string& bytes,
                            std::uint32_t& lineErrors) {
  const auto arrived = [this] { return !received_.empty() || errors_ != 0 || woken_.exchange(false); };
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Now());
  if (port_ && left.count() > 0) {
    handoff_.ServeUntilFor(arrived, left + std::chrono::milliseconds(1));
  } else if (port_) {
    handoff_.ServePending();
  }
  bytes += received_;
  lineErrors += errors_;
  received_.clear();
  errors_ = 0;
}

bool ComDetectionPort::Write(std::string_view bytes) {
  if (!port_) return false;
  try {
    port_->WriteString(std::string(bytes));
  } catch (const EComPort&) {
    return false;
  }
  return true;
}

void ComDetectionPort::Close() {
  if (!port_) return;
  try {
    port_->Close();
  } catch (const EComPort&) {
  }
  port_.reset();
}

void ComDetectionPort::Wake() {
  woken_ = true;
  handoff_.Wake();
}

std::string DetectionFailureText(const std::string& port, const DetectionResult& result) {
  const PortSituation situation =
      ObservePort(port, std::string(), LineSettings{result.problemSpeed, {}}, SystemRoots{},
                  CurrentUser(), result.problem.systemError == EBUSY);
  return FailureHint(situation, result.problem);
}
