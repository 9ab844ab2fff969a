#include "tools/waga-sim/sim_link.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

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

void SimLink::SetPace(int baud, int frameHalves) {
  if (baud <= 0) return;
  byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(frameHalves / 2.0 / baud));
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
    if (until == Until::Input && !input_.empty()) return true;
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

bool SimLink::SetWire(const LineFormat& sender, std::string& error) {
  if (sender.baud == 0) {
    error = "the line format needs a speed (--baud above 0)";
    return false;
  }
  wire_ = sender;
  SetPace(static_cast<int>(sender.baud), FrameHalves(sender));
  return true;
}

bool SimLink::Send(std::string_view bytes) {
  if (stopRequested) return false;
  lineFree_ = std::max(lineFree_, Clock::now());
  // What is still to cross the wire is taken as the receiver is set when it
  // arrives: a program that changes its speed or format while a long send
  // is under way gets the rest as its new settings take it.
  while (!bytes.empty()) {
    const std::optional<LineFormat> receiver = wire_ ? ReceiverFormat() : std::nullopt;
    Clock::duration byteTime = byteTime_;
    std::string received;
    std::string_view out = bytes;
    if (receiver) {
      // The bytes take the sender's time on the wire, however many the
      // receiver makes of them; its errors cannot be told, only the bytes.
      for (const ReceivedByte& byte : ReceiveOverWire(*wire_, *receiver, bytes))
        received.push_back(static_cast<char>(byte.value));
      if (received.empty()) {
        lineFree_ += byteTime_ * static_cast<long>(bytes.size());
        return true;
      }
      byteTime = byteTime_ * static_cast<long>(bytes.size()) / static_cast<long>(received.size());
      out = received;
    }
    const std::size_t all = out.size();
    bool changed = false;
    while (!out.empty() && !changed) {
      const std::size_t n = chunk_ == 0 ? out.size() : std::min(chunk_, out.size());
      if (chunk_ != 0 && !Wait(lineFree_, Until::Time)) return false;
      if (receiver && ReceiverFormat() != receiver) {
        changed = true;
        break;
      }
      if (!WriteAll(out.substr(0, n))) return false;
      lineFree_ += byteTime * static_cast<long>(n);
      out.remove_prefix(n);
    }
    if (!changed) return true;
    // The sender's bytes already on the wire, in proportion to what the
    // receiver was given of them.
    bytes.remove_prefix(std::min(bytes.size(), (all - out.size()) * bytes.size() / all));
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

bool SimLink::WaitForInput() { return Wait(Clock::time_point::max(), Until::Input); }

std::string SimLink::TakeInput() { return std::exchange(input_, {}); }

void SimLink::Received(std::string_view bytes) {
  // A program that writes without end fills no more than this; the rest is lost.
  constexpr std::size_t kMaxInput = 64 * 1024;
  if (!keepInput_) return;
  bytes = bytes.substr(0, kMaxInput - std::min(kMaxInput, input_.size()));
  // The program's UART sends in its own settings; the scale's takes that in its.
  if (const auto program = wire_ ? ReceiverFormat() : std::nullopt) {
    for (const ReceivedByte& byte : ReceiveOverWire(*program, *wire_, bytes))
      input_.push_back(static_cast<char>(byte.value));
    return;
  }
  input_.append(bytes);
}
