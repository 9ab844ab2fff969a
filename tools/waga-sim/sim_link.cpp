#include "tools/waga-sim/sim_link.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
sigset_t waitMask;  // the signal mask during waits: stop signals let through

void OnStopSignal(int) { stopRequested = 1; }

speed_t SpeedConstant(int baud) {
  static const std::pair<int, speed_t> speeds[] = {
      {110, B110},     {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},
      {4800, B4800},   {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},
      {115200, B115200}, {230400, B230400}};
  for (const auto& [rate, constant] : speeds)
    if (rate == baud) return constant;
  return B0;
}

// Raw 8N1 bytes at the given speed (kept when the rate has no constant).
bool MakeRaw(int fd, int baud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  if (const speed_t speed = SpeedConstant(baud); speed != B0) cfsetspeed(&tio, speed);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

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

std::unique_ptr<SimLink> SimLink::Open(const std::string& device, int baud, std::string& error) {
  std::unique_ptr<SimLink> link(new SimLink);
  if (device.empty()) {
    link->fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (link->fd_ < 0 || grantpt(link->fd_) != 0 || unlockpt(link->fd_) != 0 ||
        ptsname_r(link->fd_, name, sizeof name) != 0) {
      error = SystemError("cannot open a pseudo-terminal");
      return nullptr;
    }
    link->path_ = name;
    link->holdFd_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (link->holdFd_ < 0 || !MakeRaw(link->holdFd_, baud)) {
      error = SystemError("cannot set up " + link->path_);
      return nullptr;
    }
  } else {
    link->path_ = device;
    // Non-blocking from the start: a line without carrier must not hold the open.
    link->fd_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (link->fd_ < 0 || !MakeRaw(link->fd_, baud)) {
      error = SystemError("cannot open " + device);
      return nullptr;
    }
  }
  if (fcntl(link->fd_, F_SETFL, fcntl(link->fd_, F_GETFL) | O_NONBLOCK) != 0) {
    error = SystemError("cannot set up " + link->path_);
    return nullptr;
  }
  if (baud > 0) {
    link->byteTime_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(10.0 / baud));
    link->chunk_ = std::max<std::size_t>(1, static_cast<std::size_t>(baud) / 1000);
  }
  link->lineFree_ = Clock::now();
  return link;
}

SimLink::~SimLink() {
  for (int fd : {logFd_, holdFd_, fd_})
    if (fd >= 0) close(fd);
}

bool SimLink::SetLog(const std::string& file, std::string& error) {
  logFd_ = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd_ < 0) error = SystemError("cannot write " + file);
  return logFd_ >= 0;
}

bool SimLink::Wait(Clock::time_point deadline, bool forWrite) {
  for (;;) {
    if (stopRequested) return false;
    timespec timeout{};
    timespec* limit = nullptr;
    if (!forWrite) {
      const auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) return true;
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timeout = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
      limit = &timeout;
    }
    pollfd watched{fd_, static_cast<short>(POLLIN | (forWrite ? POLLOUT : 0)), 0};
    const int ready = ppoll(&watched, fdQuiet_ && !forWrite ? 0 : 1, limit, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::perror("waga-sim: poll");
      return false;
    }
    if (ready == 0) continue;
    if (watched.revents & POLLIN) {
      char discard[512];
      while (read(fd_, discard, sizeof discard) > 0) {
      }
    }
    if (forWrite && (watched.revents & (POLLOUT | POLLERR | POLLHUP))) return true;
    if (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) fdQuiet_ = true;
  }
}

bool SimLink::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        if (!Wait(Clock::time_point::max(), true)) return false;
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
    if (chunk_ != 0 && !Wait(lineFree_, false)) return false;
    if (!WriteAll(bytes.substr(0, n))) return false;
    lineFree_ += byteTime_ * static_cast<long>(n);
    bytes.remove_prefix(n);
  }
  return true;
}

bool SimLink::Pause(int ms) {
  return Wait(std::max(lineFree_, Clock::now()) + std::chrono::milliseconds(ms), false);
}

bool SimLink::WaitDrained() {
  // The other side has read everything once the slave's input queue (or
  // the device's output queue) stays empty over two looks.
  int emptyLooks = 0;
  while (emptyLooks < 2) {
    int waiting = 0;
    const int fd = holdFd_ >= 0 ? holdFd_ : fd_;
    if (ioctl(fd, holdFd_ >= 0 ? FIONREAD : TIOCOUTQ, &waiting) != 0) return true;
    emptyLooks = waiting == 0 ? emptyLooks + 1 : 0;
    if (!Wait(Clock::now() + std::chrono::milliseconds(20), false)) return false;
  }
  return true;
}

void SimLink::WaitForStop() {
  while (Wait(Clock::now() + std::chrono::hours(1), false)) {
  }
}
