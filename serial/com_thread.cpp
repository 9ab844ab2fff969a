#include "serial/com_thread.h"

#include <array>
#include <utility>

#include "serial/com_port.h"
#include "serial/com_texts.h"
#include "serial/event_thread_scheduling.h"

namespace {

// The deliveries under way on this thread, innermost first.
struct DeliveryScope {
  explicit DeliveryScope(const TComThread* thread) : thread(thread), outer(tInnermost) {
    tInnermost = this;
  }
  ~DeliveryScope() { tInnermost = outer; }
  DeliveryScope(const DeliveryScope&) = delete;
  DeliveryScope& operator=(const DeliveryScope&) = delete;

  const TComThread* const thread;
  const DeliveryScope* const outer;
  static thread_local const DeliveryScope* tInnermost;
};
thread_local const DeliveryScope* DeliveryScope::tInnermost = nullptr;

// The events in the order in which one completion delivers them, with their
// device mask bits.
struct EventStep {
  TComEvent event;
  std::uint32_t bit;
};
constexpr std::array<EventStep, 10> kDeliveryOrder = {{
    {evRxChar, ev::RXCHAR},
    {evTxEmpty, ev::TXEMPTY},
    {evBreak, ev::BREAK},
    {evRing, ev::RING},
    {evCTS, ev::CTS},
    {evDSR, ev::DSR},
    {evRxFlag, ev::RXFLAG},
    {evRLSD, ev::RLSD},
    {evError, ev::ERR},
    {evRx80Full, ev::RX80FULL},
}};

}  // namespace

TComThread::TComThread(TCustomComPort& comPort)
    : ComPort(comPort),
      device_(comPort.OpenedDevice()),
      handoff_(comPort.Handoff()),
      syncMethod_(comPort.SyncMethod()) {
  device_.SetEventMask(EventsToMask(comPort.Events()));
}

void TComThread::Start() {
  // The thread keeps its own state alive: a released thread outlives the
  // component's reference.
  thread_ = std::thread([self = shared_from_this()] { self->Execute(); });
}

void TComThread::SignalStop() {
  {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
  }
  stopChanged_.notify_all();
  device_.StopWait();
}

void TComThread::StopAndWait() {
  SignalStop();
  if (!thread_.joinable()) return;
  handoff_.ServeUntil([this] { return Ended(); });
  thread_.join();
}

void TComThread::Release() {
  {
    std::lock_guard lock(stopMutex_);
    released_ = true;
  }
  SignalStop();
  ClearDevice();
  if (thread_.joinable()) thread_.detach();
}

bool TComThread::StopRequested() const {
  std::lock_guard lock(stopMutex_);
  return stopRequested_;
}

bool TComThread::Released() const {
  std::lock_guard lock(stopMutex_);
  return released_;
}

bool TComThread::DeliveringHere() const {
  for (const DeliveryScope* scope = DeliveryScope::tInnermost; scope; scope = scope->outer) {
    if (scope->thread == this) return true;
  }
  return false;
}

bool TComThread::PauseBeforeRetry() {
  std::unique_lock lock(stopMutex_);
  return !stopChanged_.wait_for(lock, kRetryPause, [this] { return stopRequested_; });
}

void TComThread::ClearDevice() {
  device_.SetEventMask(0);
  device_.Purge(purge::TXCLEAR | purge::RXCLEAR);
}

void TComThread::Execute() {
  LetEventThreadWakeWithoutPreempting();
  for (;;) {
    std::uint32_t mask = 0;
    int error = 0;
    const WaitOutcome outcome = device_.WaitForEvents(mask, error);
    if (outcome == WaitOutcome::Stopped || StopRequested()) break;
    if (outcome == WaitOutcome::Failed) {
      // A wait that cannot be started is tried again after a pause, never in
      // a tight loop; the port stays open.
      if (!PauseBeforeRetry()) break;
      continue;
    }
    FiredEvents = MaskToEvents(mask);
    if (FiredEvents.Empty()) continue;
    try {
      DeliverEvents();
    } catch (...) {
      // A handler or a device query failed: the thread ends, the port stays
      // connected and delivers nothing more until it is closed and opened.
      break;
    }
    // A handler may have closed (or reopened) the port: the device is no
    // longer this thread's to wait on.
    if (StopRequested()) break;
  }
  if (Released()) return;
  ClearDevice();
  ended_.store(true);
  handoff_.Wake();
}

void TComThread::DeliverEvents() {
  switch (syncMethod_) {
    case smThreadSync:
      handoff_.RunOnUiThread([this] {
        const DeliveryScope scope(this);
        DispatchEvents();
      });
      break;
    case smWindowSync:
      SendEventMessages();
      break;
    case smNone: {
      const DeliveryScope scope(this);
      DispatchEvents();
      break;
    }
  }
}

void TComThread::DispatchEvents() {
  for (const EventStep& step : kDeliveryOrder) {
    if (!FiredEvents.Contains(step.event)) continue;
    if (Released()) return;
    switch (step.event) {
      case evRxChar: ComPort.ProcessRxChar(); break;
      case evTxEmpty: ComPort.ProcessTxEmpty(); break;
      case evBreak: ComPort.ProcessBreak(); break;
      case evRing: ComPort.ProcessRing(); break;
      case evCTS: ComPort.ProcessCTSChange(); break;
      case evDSR: ComPort.ProcessDSRChange(); break;
      case evRxFlag: ComPort.ProcessRxFlag(); break;
      case evRLSD: ComPort.ProcessRLSDChange(); break;
      case evError: ComPort.ProcessError(); break;
      case evRx80Full: ComPort.ProcessRx80Full(); break;
    }
  }
}

void TComThread::SendEventMessages() {
  for (const EventStep& step : kDeliveryOrder) {
    if (!FiredEvents.Contains(step.event)) continue;
    if (Released()) return;
    // A message's failure belongs to the UI thread's message handling: it is
    // reported there and the thread goes on.
    handoff_.RunOnUiThread([this, &step] {
      const DeliveryScope scope(this);
      try {
        ComPort.SyncWindowProc(kComEventMessage, step.bit, 0);
      } catch (...) {
        if (!Released()) ComPort.ReportBackgroundError(std::current_exception());
      }
    });
  }
}
