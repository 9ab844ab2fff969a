#include "tools/waga-sim/sim_link.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
sigset_t waitMask;  // the signal mask during waits: stop signals let through

void OnStopSignal(int) { stopRequested = 1; }

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
    sigaddset(&stops, signal);
  }
  sigprocmask(SIG_BLOCK, &stops, &waitMask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&waitMask, signal);
}

bool StopRequested() { return stopRequested != 0; }

SimLink::~SimLink() {
  if (logFd_ >= 0) close(logFd_);
}

void SimLink::SetPace(int baud) {
  if (baud <= 0) return;
  byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
  chunk_ = std::max<std::size_t>(1, static_cast<std::size_t>(baud) / 1000);
}

bool SimLink::SetLog(const std::string& file, std::string& error) {
  logFd_ = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd_ < 0) error = "cannot write " + file + ": " + std::strerror(errno);
  return logFd_ >= 0;
}

bool SimLink::Wait(Clock::time_point deadline, Until until) {
  std::vector<pollfd> fds;
  for (;;) {
    if (stopRequested) return false;
    timespec timeout{};
    timespec* limit = nullptr;
    // A wait whose time is up still looks once, so that even a script
    // without pauses serves the other side.
    bool last = false;
    if (until == Until::Time) {
      const auto left = std::max(deadline - Clock::now(), Clock::duration::zero());
      last = left == Clock::duration::zero();
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timeout = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
      limit = &timeout;
    }
    fds.clear();
    Watch(fds, until);
    const int ready = ppoll(fds.data(), fds.size(), limit, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::perror("waga-sim: poll");
      return false;
    }
    if (ready > 0) {
      if (Serve(fds, until) && until != Until::Time) return true;
    }
    if (last) return true;
  }
}

bool SimLink::WriteAll(std::string_view bytes) {
  if (!Delivering()) return true;
  while (!bytes.empty()) {
    const ssize_t written = WriteSome(bytes);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        if (!Wait(Clock::time_point::max(), Until::Room)) return false;
        continue;
      }
      std::perror(("waga-sim: write to " + path_).c_str());
      return false;
    }
    if (logFd_ >= 0 && write(logFd_, bytes.data(), static_cast<std::size_t>(written)) != written) {
      std::perror("waga-sim: log");
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SimLink::Send(std::string_view bytes) {
  if (stopRequested) return false;
  lineFree_ = std::max(lineFree_, Clock::now());
  while (!bytes.empty()) {
    const std::size_t n = chunk_ == 0 ? bytes.size() : std::min(chunk_, bytes.size());
    if (chunk_ != 0 && !Wait(lineFree_, Until::Time)) return false;
    if (!WriteAll(bytes.substr(0, n))) return false;
    lineFree_ += byteTime_ * static_cast<long>(n);
    bytes.remove_prefix(n);
  }
  return true;
}

bool SimLink::Pause(int ms) {
  return Wait(std::max(lineFree_, Clock::now()) + std::chrono::milliseconds(ms), Until::Time);
}

bool SimLink::WaitDrained() {
  // The other side has read everything once nothing is left unread over
  // two looks.
  int emptyLooks = 0;
  while (emptyLooks < 2) {
    const long unread = Unread();
    if (unread < 0) return true;
    emptyLooks = unread == 0 ? emptyLooks + 1 : 0;
    if (!Wait(Clock::now() + std::chrono::milliseconds(20), Until::Time)) return false;
  }
  return true;
}

void SimLink::WaitForStop() {
  while (Wait(Clock::now() + std::chrono::hours(1), Until::Time)) {
  }
}

bool SimLink::WaitForPeer() { return Delivering() || Wait(Clock::time_point::max(), Until::Peer); }
