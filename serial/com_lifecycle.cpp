// Opening and closing the port, the notifications around it and the hooks
// that call the event handlers.

#include <cerrno>

#include "serial/com_port.h"
#include "serial/system_serial_device.h"

void TCustomComPort::Open() {
  if (connected_) return;
  FireBeforeOpen();
  OpenDevice();
  connected_ = true;
  try {
    ApplyAllSettings();
  } catch (...) {
    CloseDevice();
    connected_ = false;
    throw;
  }
  // The event thread starts here, when Events is not empty: it sets the
  // device's event mask from Events and waits for events until Close.
  FireAfterOpen();
  // Then the present modem lines are reported through FireCTSChange,
  // FireDSRChange and FireRLSDChange.
}

void TCustomComPort::Close() {
  if (!connected_) return;
  FireBeforeClose();
  FireCTSChange(false);
  FireDSRChange(false);
  FireRLSDChange(false);
  // Outstanding reads are cancelled here, and the event thread is stopped and
  // waited for, before the device closes.
  CloseDevice();
  connected_ = false;
  FireAfterClose();
}

void TCustomComPort::SetConnected(bool value) {
  if (loading_) {
    connected_ = value;
    return;
  }
  if (value == connected_) return;
  if (value)
    Open();
  else
    Close();
}

void TCustomComPort::EndLoad() {
  if (!loading_) return;
  loading_ = false;
  if (!connected_) return;
  // Connected was only recorded while loading; now the port really opens.
  connected_ = false;
  try {
    Open();
  } catch (const std::exception& error) {
    if (!OnLoadedOpenError) throw;
    OnLoadedOpenError(error);
  }
}

void TCustomComPort::OpenDevice() {
  if (!device_) device_ = CreateSystemSerialDevice();
  if (!device_) throw EComPort(ecOpenFailed, ENODEV);
  if (const int error = device_->Open(port_)) throw EComPort(ecOpenFailed, error);
}

void TCustomComPort::CloseDevice() {
  if (device_ && device_->IsOpen()) device_->Close();
}

void TCustomComPort::FireAfterClose() {
  if (OnAfterClose) OnAfterClose(*this);
}
void TCustomComPort::FireAfterOpen() {
  if (OnAfterOpen) OnAfterOpen(*this);
}
void TCustomComPort::FireBeforeClose() {
  if (OnBeforeClose) OnBeforeClose(*this);
}
void TCustomComPort::FireBeforeOpen() {
  if (OnBeforeOpen) OnBeforeOpen(*this);
}
void TCustomComPort::FireRxChar(std::int32_t count) {
  if (OnRxChar) OnRxChar(*this, count);
}
void TCustomComPort::FireTxEmpty() {
  if (OnTxEmpty) OnTxEmpty(*this);
}
void TCustomComPort::FireBreak() {
  if (OnBreak) OnBreak(*this);
}
void TCustomComPort::FireRing() {
  if (OnRing) OnRing(*this);
}
void TCustomComPort::FireRxFlag() {
  if (OnRxFlag) OnRxFlag(*this);
}
void TCustomComPort::FireCTSChange(bool onOff) {
  if (OnCTSChange) OnCTSChange(*this, onOff);
}
void TCustomComPort::FireDSRChange(bool onOff) {
  if (OnDSRChange) OnDSRChange(*this, onOff);
}
void TCustomComPort::FireError(TComErrors errors) {
  if (OnError) OnError(*this, errors);
}
void TCustomComPort::FireRLSDChange(bool onOff) {
  if (OnRLSDChange) OnRLSDChange(*this, onOff);
}
void TCustomComPort::FireRx80Full() {
  if (OnRx80Full) OnRx80Full(*this);
}
