// Opening and closing the port, the notifications around it and the hooks
// that call the event handlers.

#include <cerrno>

#include <utility>

#include "serial/com_port.h"
#include "serial/com_thread.h"
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
  closeDeferred_.store(false);
  if (!events_.Empty()) {
    if (syncMethod_ == smWindowSync) syncWindow_ = std::make_unique<TSyncWindow>(*this);
    // The stop signal of the previous thread is still raised.
    device_->ResetStop();
    eventThread_ = std::make_unique<TComThread>(*this);
    eventThread_->Start();
  }
  FireAfterOpen();
  // The present modem lines; a failure leaves the port open, thread running.
  FireCTSChange(ReadModemSignals().Contains(msCTS));
  FireDSRChange(ReadModemSignals().Contains(msDSR));
  FireRLSDChange(ReadModemSignals().Contains(msRLSD));
}

void TCustomComPort::Close() {
  if (!connected_ || closing_) return;
  if (InsideOwnDelivery()) {
    // The event thread cannot end while its own delivery runs: stop it now
    // and close once the delivery has returned.
    closeDeferred_.store(true);
    if (eventThread_) eventThread_->SignalStop();
    return;
  }
  closing_.store(true);
  struct ClosingScope {
    std::atomic<bool>& flag;
    ~ClosingScope() { flag.store(false); }
  } scope{closing_};
  closeDeferred_.store(false);

  FireBeforeClose();
  FireCTSChange(false);
  FireDSRChange(false);
  FireRLSDChange(false);
  AbortPendingIo();
  StopEventThread();
  CloseDevice();
  connected_ = false;
  FireAfterClose();
}

void TCustomComPort::StopEventThread() {
  eventThread_.reset();
  syncWindow_.reset();
}

bool TCustomComPort::EventThreadRunning() const {
  return eventThread_ && !eventThread_->Ended();
}

bool TCustomComPort::InsideOwnDelivery() const {
  return uiDeliveryDepth_ > 0 || (eventThread_ && eventThread_->IsCurrentThread());
}

void TCustomComPort::RunDelivery(const std::function<void()>& deliver, bool onUiThread) {
  struct DeliveryScope {
    TCustomComPort& port;
    bool onUiThread;
    ~DeliveryScope() {
      if (onUiThread) --port.uiDeliveryDepth_;
      if (port.closeDeferred_.load() && (!onUiThread || port.uiDeliveryDepth_ == 0))
        port.PostDeferredClose();
    }
  };
  if (onUiThread) ++uiDeliveryDepth_;
  DeliveryScope scope{*this, onUiThread};
  deliver();
}

void TCustomComPort::PostDeferredClose() {
  std::weak_ptr<TCustomComPort*> alive = self_;
  // The hand-off the thread was started with: SetHandoff may have changed
  // the component's since.
  UiHandoff& handoff = eventThread_ ? eventThread_->Handoff() : Handoff();
  handoff.Post([alive] {
    const std::shared_ptr<TCustomComPort*> self = alive.lock();
    if (!self) return;
    TCustomComPort& port = **self;
    if (!port.closeDeferred_.exchange(false)) return;
    try {
      port.Close();
    } catch (...) {
      port.ReportBackgroundError(std::current_exception());
    }
  });
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
