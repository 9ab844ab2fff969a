#pragma once

// The event thread of an open port: waits for the device events selected by
// Events and hands each batch to the component's Process operations, on the
// UI thread (smThreadSync, smWindowSync) or on itself (smNone).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "serial/com_types.h"
#include "serial/serial_device.h"
#include "serial/ui_handoff.h"

class TCustomComPort;

// The hidden window of smWindowSync: the target of the event messages. It
// exists from Open to Close; its handler is the component's SyncWindowProc.
class TSyncWindow {
 public:
  explicit TSyncWindow(TCustomComPort& comPort) : comPort_(comPort) {}
  std::intptr_t Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  TCustomComPort& comPort_;
};

class TComThread {
 public:
  // Sets the device's event mask from the component's Events; the thread
  // runs from Start(). The device's stop signal must have been reset.
  explicit TComThread(TCustomComPort& comPort);
  // Signals stop and waits for the started thread to end, serving the hand-off
  // meanwhile so that a delivery under way completes.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  void Start();
  void SignalStop();
  UiHandoff& Handoff() const { return handoff_; }
  bool Ended() const { return ended_.load(); }
  // True on the event thread itself.
  bool IsCurrentThread() const;

  // How long the thread pauses before it tries again a wait that could not
  // be started.
  static constexpr std::chrono::milliseconds kRetryPause{100};

 private:
  void Execute();
  // Returns false when stop was signalled during the pause.
  bool PauseBeforeRetry();
  bool StopRequested();
  void DeliverEvents();
  void DispatchEvents();
  void SendEventMessages();

  TCustomComPort& ComPort;
  SerialDevice& device_;
  UiHandoff& handoff_;
  const TSyncMethod syncMethod_;
  TComEvents FiredEvents;

  std::mutex stopMutex_;
  std::condition_variable stopChanged_;
  bool stopRequested_ = false;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};
