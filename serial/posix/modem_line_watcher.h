#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Waits for modem-line changes (CTS, DSR, DCD, RI) with the kernel's
// blocking wait (TIOCMIWAIT) on a helper thread, and makes an eventfd
// readable after each change, so that one poll() can wait for received
// data, the stop signal and line changes at once without waking up
// periodically.
//
// The kernel's wait ends only on a change or a signal: Stop() interrupts it
// with a real-time signal aimed at the helper thread alone (SIGRTMIN + 5,
// installed once with an empty handler unless the program handles that
// signal itself, in which case watching is refused and the caller polls).
class ModemLineWatcher {
 public:
  ModemLineWatcher();
  ~ModemLineWatcher();
  ModemLineWatcher(const ModemLineWatcher&) = delete;
  ModemLineWatcher& operator=(const ModemLineWatcher&) = delete;

  // Starts watching `fd` unless already watching it. False when the lines
  // cannot be waited for (the driver has no such wait, the signal is taken,
  // no eventfd): the caller then looks at the lines by timeout.
  bool Watch(int fd);
  // Readable after a change (and when watching fails later on).
  int WakeFd() const { return wakeFd_; }
  // Empties WakeFd after a wake.
  void Consume();
  // Ends the helper; returns once it has left the kernel's wait. Call before
  // closing the watched descriptor.
  void Stop();

 private:
  void Run(int fd);
  void Notify();

  int wakeFd_ = -1;
  std::mutex mutex_;
  std::condition_variable exited_;
  std::thread thread_;
  int watchedFd_ = -1;
  bool stopping_ = false;
  bool hasExited_ = false;
  bool failed_ = false;
};
