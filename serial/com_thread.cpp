#include "serial/com_thread.h"

#include <array>
#include <utility>

#include "serial/com_port.h"
#include "serial/com_texts.h"

namespace {

thread_local const TComThread* tCurrentThread = nullptr;

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

std::intptr_t TSyncWindow::Dispatch(std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
  return comPort_.SyncWindowProc(message, wParam, lParam);
}

TComThread::TComThread(TCustomComPort& comPort)
    : ComPort(comPort),
      device_(comPort.OpenedDevice()),
      handoff_(comPort.Handoff()),
      syncMethod_(comPort.SyncMethod()) {
  device_.SetEventMask(EventsToMask(comPort.Events()));
}

void TComThread::Start() { thread_ = std::thread([this] { Execute(); }); }

TComThread::~TComThread() {
  if (!thread_.joinable()) return;
  SignalStop();
  handoff_.ServeUntil([this] { return Ended(); });
  thread_.join();
}

void TComThread::SignalStop() {
  {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
  }
  stopChanged_.notify_all();
  device_.StopWait();
}

bool TComThread::StopRequested() {
  std::lock_guard lock(stopMutex_);
  return stopRequested_;
}

bool TComThread::IsCurrentThread() const { return tCurrentThread == this; }

bool TComThread::PauseBeforeRetry() {
  std::unique_lock lock(stopMutex_);
  return !stopChanged_.wait_for(lock, kRetryPause, [this] { return stopRequested_; });
}

void TComThread::Execute() {
  tCurrentThread = this;
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
  }
  device_.SetEventMask(0);
  device_.Purge(purge::TXCLEAR | purge::RXCLEAR);
  tCurrentThread = nullptr;
  ended_.store(true);
  handoff_.Wake();
}

void TComThread::DeliverEvents() {
  switch (syncMethod_) {
    case smThreadSync:
      handoff_.RunOnUiThread(
          [this] { ComPort.RunDelivery([this] { DispatchEvents(); }, true); });
      break;
    case smWindowSync:
      SendEventMessages();
      break;
    case smNone:
      ComPort.RunDelivery([this] { DispatchEvents(); }, false);
      break;
  }
}

void TComThread::DispatchEvents() {
  for (const EventStep& step : kDeliveryOrder) {
    if (!FiredEvents.Contains(step.event)) continue;
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
    // A message's failure belongs to the UI thread's message handling: it is
    // reported there and the thread goes on.
    handoff_.RunOnUiThread([this, &step] {
      ComPort.RunDelivery(
          [this, &step] {
            try {
              ComPort.syncWindow_->Dispatch(kComEventMessage, step.bit, 0);
            } catch (...) {
              ComPort.ReportBackgroundError(std::current_exception());
            }
          },
          true);
    });
  }
}
