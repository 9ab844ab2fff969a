#pragma once

// The event thread of an open port: waits for the device events selected by
// Events and hands each batch to the component's Process operations, on the
// UI thread (smThreadSync, smWindowSync) or on itself (smNone).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/com_types.h"
#include "serial/serial_device.h"
#include "serial/ui_handoff.h"

class TCustomComPort;

// Shared between the component and the running thread, so that a thread the
// component lets go of inside one of its deliveries can still finish.
class TComThread : public std::enable_shared_from_this<TComThread> {
 public:
  // Sets the device's event mask from the component's Events; the thread
  // runs from Start(). The device's stop signal must have been reset.
  explicit TComThread(TCustomComPort& comPort);
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  void Start();
  void SignalStop();
  // Signals stop and waits for the thread to end, serving the hand-off
  // meanwhile so that a delivery under way completes. Not from inside one of
  // this thread's deliveries (see Release).
  void StopAndWait();
  // From inside one of this thread's deliveries, where waiting for the end
  // would wait for itself: the thread is cut off from the component at once.
  // The delivery under way runs no further Process operation, and the thread
  // ends by itself without touching the component, the device or the
  // hand-off again. The device's event mask and queues are cleared here.
  void Release();
  bool Ended() const { return ended_.load(); }
  // True when one of this thread's deliveries is under way on the calling
  // thread, also further down its stack (a nested loop inside a handler).
  bool DeliveringHere() const;

  // How long the thread pauses before it tries again a wait that could not
  // be started.
  static constexpr std::chrono::milliseconds kRetryPause{100};

 private:
  void Execute();
  // Returns false when stop was signalled during the pause.
  bool PauseBeforeRetry();
  bool StopRequested() const;
  bool Released() const;
  void ClearDevice();
  void DeliverEvents();
  void DispatchEvents();
  void SendEventMessages();

  TCustomComPort& ComPort;
  SerialDevice& device_;
  UiHandoff& handoff_;
  const TSyncMethod syncMethod_;
  TComEvents FiredEvents;

  mutable std::mutex stopMutex_;
  std::condition_variable stopChanged_;
  bool stopRequested_ = false;
  bool released_ = false;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};
