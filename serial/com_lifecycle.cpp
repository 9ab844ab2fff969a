// Opening and closing the port, the notifications around it and the hooks
// that call the event handlers.

#include <cerrno>

#include <utility>

#include "serial/com_port.h"
#include "serial/com_thread.h"
#include "serial/system_serial_device.h"

bool TCustomComPort::Connected() const {
  const Phase phase = phase_.load();
  return phase == Phase::Open || phase == Phase::Closing;
}

void TCustomComPort::Open() {
  Phase expected = Phase::Closed;
  if (!phase_.compare_exchange_strong(expected, Phase::Opening)) return;
  try {
    FireBeforeOpen();
    OpenDevice();
  } catch (...) {
    phase_.store(Phase::Closed);
    throw;
  }
  phase_.store(Phase::Open);
  try {
    ApplyAllSettings();
  } catch (...) {
    CloseDevice();
    phase_.store(Phase::Closed);
    throw;
  }
  if (!events_.Empty()) {
    // The stop signal of the previous thread is still raised.
    device_->ResetStop();
    auto thread = std::make_shared<TComThread>(*this);
    {
      std::lock_guard lock(threadMutex_);
      eventThread_ = thread;
    }
    thread->Start();
  }
  FireAfterOpen();
  // The present modem lines; a failure leaves the port open, thread running.
  FireCTSChange(ReadModemSignals().Contains(msCTS));
  FireDSRChange(ReadModemSignals().Contains(msDSR));
  FireRLSDChange(ReadModemSignals().Contains(msRLSD));
}

void TCustomComPort::Close() {
  Phase expected = Phase::Open;
  if (!phase_.compare_exchange_strong(expected, Phase::Closing)) return;
  try {
    FireBeforeClose();
    FireCTSChange(false);
    FireDSRChange(false);
    FireRLSDChange(false);
  } catch (...) {
    // A handler refused the close: the port stays open.
    phase_.store(Phase::Open);
    throw;
  }
  AbortPendingIo();
  StopEventThread();
  CloseDevice();
  phase_.store(Phase::Closed);
  FireAfterClose();
}

std::shared_ptr<TComThread> TCustomComPort::CurrentThread() const {
  std::lock_guard lock(threadMutex_);
  return eventThread_;
}

void TCustomComPort::StopEventThread() {
  const std::shared_ptr<TComThread> thread = CurrentThread();
  if (!thread) return;
  // Waiting for the thread from inside its own delivery would wait forever.
  if (thread->DeliveringHere()) {
    thread->Release();
  } else {
    thread->StopAndWait();
  }
  std::lock_guard lock(threadMutex_);
  eventThread_.reset();
}

bool TCustomComPort::ThreadCreated() const { return CurrentThread() != nullptr; }

bool TCustomComPort::EventThreadRunning() const {
  const std::shared_ptr<TComThread> thread = CurrentThread();
  return thread && !thread->Ended();
}

void TCustomComPort::ReportBackgroundError(std::exception_ptr error) {
  try {
    std::rethrow_exception(std::move(error));
  } catch (const std::exception& e) {
    if (OnBackgroundError) OnBackgroundError(e);
  } catch (...) {
  }
}

void TCustomComPort::SetConnected(bool value) {
  if (loading_) {
    phase_.store(value ? Phase::Open : Phase::Closed);
    return;
  }
  if (value == Connected()) return;
  if (value)
    Open();
  else
    Close();
}

void TCustomComPort::EndLoad() {
  if (!loading_) return;
  loading_ = false;
  if (phase_.load() != Phase::Open) return;
  // Connected was only recorded while loading; now the port really opens.
  phase_.store(Phase::Closed);
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
  if (const int error = device_->Open(port_)) {
    throw EComPort(ecOpenFailed, error, device_->OpenFailureDetail());
  }
}

void TCustomComPort::CloseDevice() {
  if (device_ && device_->IsOpen()) device_->Close();
}

SerialDevice& TCustomComPort::OpenedDevice() { return *device_; }

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
