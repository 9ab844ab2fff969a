#include "serial/com_port.h"
#include "serial/store_if_changed.h"

#include <utility>

#include "serial/com_thread.h"

TCustomComPort::TCustomComPort(std::string name, std::unique_ptr<SerialDevice> device)
    : name_(std::move(name)),
      device_(std::move(device)),
      parity_(std::make_unique<TComParity>(this)),
      flowControl_(std::make_unique<TComFlowControl>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)),
      buffer_(std::make_unique<TComBuffer>(this)) {}

TCustomComPort::~TCustomComPort() {
  // A destructor must not throw; a handler's failure during this last close
  // has nowhere to go.
  try {
    Close();
  } catch (...) {
  }
  // A handler that refused that close left the thread and the device
  // behind; neither may outlive the component.
  StopEventThread();
  CloseDevice();
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (StoreIfChanged(baudRate_, value)) ApplyLineSettings();
}

void TCustomComPort::SetCustomBaudRate(std::int32_t value) {
  if (StoreIfChanged(customBaudRate_, value)) ApplyLineSettings();
}

void TCustomComPort::SetPort(std::string_view value) {
  std::string normalized = NormalizePortName(value);
  if (normalized == port_) return;
  port_ = std::move(normalized);
  if (CanApply()) {
    Close();
    Open();
  }
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (StoreIfChanged(stopBits_, value)) ApplyLineSettings();
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (StoreIfChanged(dataBits_, value)) ApplyLineSettings();
}

void TCustomComPort::SetDiscardNull(bool value) {
  if (StoreIfChanged(discardNull_, value)) ApplyLineSettings();
}

void TCustomComPort::SetEventChar(char value) {
  if (StoreIfChanged(eventChar_, value)) ApplyLineSettings();
}

void TCustomComPort::SetEvents(TComEvents value) {
  // The event thread sets the device's event mask when it starts.
  events_ = value;
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
  if (value == syncMethod_) return;
  if (CanApply()) throw EComPort(ecSyncMethodWhileOpen);
  syncMethod_ = value;
}

void TCustomComPort::SetParity(const TComParity& value) {
  parity_->Assign(value);
  ApplyLineSettings();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  flowControl_->Assign(value);
  ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  timeouts_->Assign(value);
  ApplyTimeoutSettings();
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
  buffer_->Assign(value);
  ApplyBufferSettings();
}
