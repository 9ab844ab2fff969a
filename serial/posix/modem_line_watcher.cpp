#include "serial/posix/modem_line_watcher.h"

#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

constexpr int kLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG;

int WakeSignal() { return SIGRTMIN + 5; }

extern "C" void IgnoreWakeSignal(int) {}

// Installs the empty handler once, without SA_RESTART, so that the signal
// ends the kernel's wait with EINTR. False when the program has a handler
// of its own for the signal.
bool WakeSignalReady() {
  static const bool ready = [] {
    struct sigaction current {};
    if (sigaction(WakeSignal(), nullptr, &current) != 0) return false;
    if (current.sa_handler != SIG_DFL) return current.sa_handler == IgnoreWakeSignal;
    struct sigaction action {};
    action.sa_handler = IgnoreWakeSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(WakeSignal(), &action, nullptr) == 0;
  }();
  return ready;
}

}  // namespace

ModemLineWatcher::ModemLineWatcher() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ModemLineWatcher::~ModemLineWatcher() {
  Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool ModemLineWatcher::Watch(int fd) {
  std::lock_guard lock(mutex_);
  if (thread_.joinable() && watchedFd_ == fd) return !failed_;
  if (thread_.joinable() || wakeFd_ < 0 || !WakeSignalReady()) return false;
  watchedFd_ = fd;
  stopping_ = false;
  hasExited_ = false;
  failed_ = false;
  thread_ = std::thread([this, fd] { Run(fd); });
  return true;
}

void ModemLineWatcher::Run(int fd) {
  // Signals meant for the process go to other threads; this one takes only
  // the wake-up.
  sigset_t mask;
  sigfillset(&mask);
  sigdelset(&mask, WakeSignal());
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    if (ioctl(fd, TIOCMIWAIT, kLines) == 0) {
      Notify();
      continue;
    }
    if (errno == EINTR) continue;
    // No such wait on this driver, or the device is gone: the poller looks
    // at the lines itself from now on.
    {
      std::lock_guard lock(mutex_);
      failed_ = true;
    }
    Notify();
    break;
  }
  std::lock_guard lock(mutex_);
  hasExited_ = true;
  exited_.notify_all();
}

void ModemLineWatcher::Notify() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void ModemLineWatcher::Consume() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &value, sizeof value);
}

void ModemLineWatcher::Stop() {
  std::unique_lock lock(mutex_);
  if (!thread_.joinable()) return;
  stopping_ = true;
  // A signal that arrives between the helper's stop check and its entry
  // into the kernel's wait is lost, so it is sent again until the helper
  // has left.
  while (!hasExited_) {
    pthread_kill(thread_.native_handle(), WakeSignal());
    exited_.wait_for(lock, std::chrono::milliseconds(20));
  }
  lock.unlock();
  thread_.join();
  lock.lock();
  watchedFd_ = -1;
  Consume();
}
