#include "serial/ui_handoff.h"

#include <stdexcept>
#include <utility>

QueuedUiHandoff::QueuedUiHandoff(std::function<void()> notify)
    : uiThread_(std::this_thread::get_id()), notify_(std::move(notify)) {}

QueuedUiHandoff::~QueuedUiHandoff() {
  std::unique_lock lock(mutex_);
  for (const std::shared_ptr<Call>& call : queue_) {
    call->error = std::make_exception_ptr(std::runtime_error("UI hand-off destroyed"));
    call->done.Signal();
  }
  queue_.clear();
  changed_.notify_all();
  changed_.wait(lock, [this] { return waiting_ == 0; });
}

void QueuedUiHandoff::Queue(const std::shared_ptr<Call>& call) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(call);
  }
  changed_.notify_all();
  if (notify_) notify_();
}

void QueuedUiHandoff::RunOnUiThread(const std::function<void()>& call) {
  if (std::this_thread::get_id() == uiThread_) {
    call();
    return;
  }
  auto queued = std::make_shared<Call>();
  queued->run = call;
  queued->waited = true;
  {
    std::lock_guard lock(mutex_);
    ++waiting_;
  }
  Queue(queued);
  queued->done.Wait();
  {
    std::lock_guard lock(mutex_);
    --waiting_;
    // The destructor may be waiting for this thread to leave.
    changed_.notify_all();
  }
  if (queued->error) std::rethrow_exception(queued->error);
}

void QueuedUiHandoff::Post(std::function<void()> call) {
  auto queued = std::make_shared<Call>();
  queued->run = std::move(call);
  Queue(queued);
}

bool QueuedUiHandoff::RunFront(std::unique_lock<std::mutex>& lock) {
  std::shared_ptr<Call> call = std::move(queue_.front());
  queue_.pop_front();
  lock.unlock();
  std::exception_ptr error;
  try {
    call->run();
  } catch (...) {
    // A posted call has nobody to report to; a waited one gets it back.
    error = std::current_exception();
  }
  call->error = call->waited ? error : nullptr;
  lock.lock();
  const bool more = !queue_.empty();
  lock.unlock();
  // Signalled with the lock free, so that the waiter, once awake, does not
  // block on it.
  call->done.Signal();
  return more;
}

std::size_t QueuedUiHandoff::ServePending() {
  std::unique_lock lock(mutex_);
  std::size_t served = 0;
  while (!queue_.empty()) {
    ++served;
    if (!RunFront(lock)) break;
    lock.lock();
  }
  return served;
}

bool QueuedUiHandoff::Serve(const std::function<bool()>& done,
                            const std::chrono::steady_clock::time_point* deadline) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (done()) return true;
    if (!queue_.empty()) {
      RunFront(lock);
      lock.lock();
      continue;
    }
    if (!deadline) {
      changed_.wait(lock);
    } else if (changed_.wait_until(lock, *deadline) == std::cv_status::timeout) {
      return done();
    }
  }
}

void QueuedUiHandoff::ServeUntil(const std::function<bool()>& done) { Serve(done, nullptr); }

bool QueuedUiHandoff::ServeUntilFor(const std::function<bool()>& done,
                                    std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  return Serve(done, &deadline);
}

void QueuedUiHandoff::Wake() {
  // Taking the lock orders the waker's state change before the next check
  // of the condition.
  { std::lock_guard lock(mutex_); }
  changed_.notify_all();
}

std::size_t QueuedUiHandoff::Pending() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

bool QueuedUiHandoff::AwaitPending(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return queue_.size() >= count; });
}
