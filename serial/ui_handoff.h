#pragma once

// Running work of a background thread on the UI thread.
//
// The event thread of a serial port hands each batch of device events to the
// UI thread and blocks until the handlers have run there. The UI thread
// serves these calls from its event loop (also from the nested loops of
// modal boxes) and, while it waits for an event thread to end, from
// ServeUntil, so that a delivery already under way can finish.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/call_done.h"

class UiHandoff {
 public:
  virtual ~UiHandoff() = default;

  // Any thread but the UI thread: runs `call` on the UI thread and returns
  // when it has run. An exception thrown by `call` is carried back and
  // thrown here again.
  virtual void RunOnUiThread(const std::function<void()>& call) = 0;
  // Any thread: runs `call` on the UI thread later, without waiting for it.
  // The call must not throw.
  virtual void Post(std::function<void()> call) = 0;
  // UI thread: serves queued calls until `done()` returns true. `done` is
  // checked before and after every call and whenever Wake() is called.
  virtual void ServeUntil(const std::function<bool()>& done) = 0;
  // Any thread: makes a running ServeUntil check its condition again.
  virtual void Wake() = 0;
};

// A queue of calls that the UI thread serves.
//
// Construct it on the UI thread. `notify` is called (on the thread that
// queued the call, without any lock held) each time a call is queued; the
// event loop of the UI thread answers it by calling ServePending() soon, for
// example through a queued invocation. Calls are run in the order queued.
// A RunOnUiThread made on the UI thread itself runs the call at once.
//
// Destroy it only after every component that uses it has closed its port.
// A call still queued then fails in its waiting thread, and destruction
// waits until every such thread has left RunOnUiThread.
class QueuedUiHandoff final : public UiHandoff {
 public:
  explicit QueuedUiHandoff(std::function<void()> notify = {});
  ~QueuedUiHandoff() override;
  QueuedUiHandoff(const QueuedUiHandoff&) = delete;
  QueuedUiHandoff& operator=(const QueuedUiHandoff&) = delete;

  void RunOnUiThread(const std::function<void()>& call) override;
  void Post(std::function<void()> call) override;
  void ServeUntil(const std::function<bool()>& done) override;
  void Wake() override;

  // UI thread: runs the calls queued now (and those queued while they run);
  // returns how many ran. Reentrant: a call may itself serve the queue.
  std::size_t ServePending();
  // UI thread: as ServeUntil, but gives up after `timeout`; true when `done`
  // held.
  bool ServeUntilFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Calls queued and not yet started.
  std::size_t Pending() const;
  // Any thread: waits until at least `count` calls are queued (or `timeout`
  // passes) without serving them; true when they are.
  bool AwaitPending(std::size_t count, std::chrono::milliseconds timeout) const;

 private:
  struct Call {
    std::function<void()> run;
    bool waited = false;
    std::exception_ptr error;  // set before `done` is signalled
    CallDone done;
  };

  void Queue(const std::shared_ptr<Call>& call);
  // Runs the front call and wakes its waiter; returns with the lock
  // released, true when more calls are queued.
  bool RunFront(std::unique_lock<std::mutex>& lock);
  bool Serve(const std::function<bool()>& done,
             const std::chrono::steady_clock::time_point* deadline);

  const std::thread::id uiThread_;
  const std::function<void()> notify_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<std::shared_ptr<Call>> queue_;
  // Threads inside RunOnUiThread.
  std::size_t waiting_ = 0;
};
