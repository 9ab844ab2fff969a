#include "serial/posix/posix_serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "serial/posix/line_parameters.h"
#include "serial/posix/line_state.h"

namespace {

constexpr std::uint32_t kModemEvents = ev::CTS | ev::DSR | ev::RLSD | ev::RING;
constexpr std::uint32_t kQueueEvents = ev::RXCHAR | ev::RX80FULL;
// What the line discipline's input buffer can hold: a larger (or no, or a
// negative) queue size counts as full there.
constexpr std::uint32_t kKernelInputQueue = 4095;

// A device without modem lines or counters (a pseudo-terminal) refuses the
// request with one of these; anything else is a real failure.
bool Unsupported(int error) { return error == ENOTTY || error == EINVAL; }

// A device that is gone (USB adapter pulled, pseudo-terminal master closed)
// fails every request with one of these.
bool HungUp(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

int ReadCounters(int fd, PosixSerialDevice::LineCounters& counters) {
  serial_icounter_struct icount{};
  if (ioctl(fd, TIOCGICOUNT, &icount) != 0) return errno;
  counters.cts = icount.cts;
  counters.dsr = icount.dsr;
  counters.ring = icount.rng;
  counters.dcd = icount.dcd;
  counters.frame = icount.frame;
  counters.parity = icount.parity;
  counters.overrun = icount.overrun;
  counters.brk = icount.brk;
  counters.bufferOverrun = icount.buf_overrun;
  return 0;
}

std::uint32_t ErrorFlags(const PosixSerialDevice::LineCounters& before,
                         const PosixSerialDevice::LineCounters& now, bool parityChecked) {
  std::uint32_t flags = 0;
  if (now.frame != before.frame) flags |= ce::FRAME;
  if (parityChecked && now.parity != before.parity) flags |= ce::RXPARITY;
  if (now.overrun != before.overrun) flags |= ce::OVERRUN;
  if (now.brk != before.brk) flags |= ce::BREAK;
  if (now.bufferOverrun != before.bufferOverrun) flags |= ce::RXOVER;
  return flags;
}

std::uint32_t CounterEvents(const PosixSerialDevice::LineCounters& before,
                            const PosixSerialDevice::LineCounters& now, bool parityChecked) {
  std::uint32_t events = 0;
  if (now.cts != before.cts) events |= ev::CTS;
  if (now.dsr != before.dsr) events |= ev::DSR;
  if (now.dcd != before.dcd) events |= ev::RLSD;
  if (now.ring != before.ring) events |= ev::RING;
  if (now.brk != before.brk) events |= ev::BREAK;
  if (ErrorFlags(before, now, parityChecked) & (ce::FRAME | ce::RXPARITY | ce::OVERRUN)) {
    events |= ev::ERR;
  }
  return events;
}

std::uint32_t ModemLineEvents(int before, int now) {
  const int changed = before ^ now;
  std::uint32_t events = 0;
  if (changed & TIOCM_CTS) events |= ev::CTS;
  if (changed & TIOCM_DSR) events |= ev::DSR;
  if (changed & TIOCM_CD) events |= ev::RLSD;
  if (changed & TIOCM_RI) events |= ev::RING;
  return events;
}

int HoldLine(int fd, int line, HeldLine held) {
  if (held == HeldLine::ByDriver) return 0;
  const int request = held == HeldLine::On ? TIOCMBIS : TIOCMBIC;
  if (ioctl(fd, request, &line) == 0) return 0;
  return Unsupported(errno) ? 0 : errno;
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(std::string portMapFile)
    : portMapFile_(std::move(portMapFile)) {
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) stopFdError_ = errno;
}

PosixSerialDevice::~PosixSerialDevice() {
  Close();
  if (stopFd_ >= 0) ::close(stopFd_);
}

int PosixSerialDevice::Open(const std::string& port) {
  if (fd_ >= 0) return EBUSY;
  std::string mapText;
  if (int error = ReadPortMapFile(portMapFile_, mapText)) return error;
  return OpenDevice(DevicePathForPort(port, mapText));
}

int PosixSerialDevice::OpenDevice(const std::string& path) {
  if (fd_ >= 0) return EBUSY;
  if (stopFd_ < 0) return stopFdError_;
  // A NUL byte in the mapped path would cut it short and open some other
  // device; such a path names nothing.
  if (path.empty() || path.find('\0') != std::string::npos) return ENOENT;

  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  const auto fail = [fd](int error) {
    ::close(fd);
    return error;
  };
  // The lock keeps out a second opener in this or another process (root
  // included); TIOCEXCL keeps out other programs that do not lock.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  LineState probe;
  if (int error = GetLineState(fd, probe)) return fail(error);
  if (ioctl(fd, TIOCEXCL) != 0) return fail(errno);

  WaitState fresh;
  if (ioctl(fd, TIOCMGET, &fresh.modemLines) == 0) {
    modemLinesReadable_ = true;
  } else if (Unsupported(errno)) {
    modemLinesReadable_ = false;
    fresh.modemLines = 0;
  } else {
    const int error = errno;
    ioctl(fd, TIOCNXCL);
    return fail(error);
  }
  const int counterError = ReadCounters(fd, fresh.counters);
  if (counterError != 0 && !Unsupported(counterError)) {
    ioctl(fd, TIOCNXCL);
    return fail(counterError);
  }
  countersReadable_ = counterError == 0;
  wait_ = fresh;
  received_.Clear();
  {
    std::lock_guard lock(errorMutex_);
    errorBaseline_ = fresh.counters;
  }
  fd_ = fd;
  return 0;
}

void PosixSerialDevice::Close() {
  if (fd_ < 0) return;
  lineWatcher_.Stop();
  // Left set, exclusivity would lock this very process out of a
  // pseudo-terminal whose master stays open.
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
  received_.Clear();
}

int PosixSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t) {
  if (fd_ < 0) return EBADF;
  // The kernel's queues have a fixed size; the input size only sets where
  // the queue counts as 80% full.
  inputQueueSize_.store(input);
  return 0;
}

int PosixSerialDevice::SetTimeouts(const DeviceTimeouts&) {
  // Reads never wait: they return what has arrived, which is what the
  // component's timeouts ask for.
  return fd_ < 0 ? EBADF : 0;
}

int PosixSerialDevice::SetEventMask(std::uint32_t mask) {
  if (fd_ < 0) return EBADF;
  eventMask_.store(mask);
  return 0;
}

int PosixSerialDevice::SetLineParameters(const DeviceControlBlock& block) {
  if (fd_ < 0) return EBADF;
  LineState old;
  if (int error = GetLineState(fd_, old)) return error;
  LineState wanted;
  if (int error = TranslateLineParameters(block, old, wanted)) return error;

  const auto restore = [this, &old](int error) {
    SetLineState(fd_, old);
    return error;
  };
  if (int error = SetLineState(fd_, wanted)) return restore(error);
  // A driver that cannot do what was asked (a rate, mark or space parity,
  // 5 or 6 data bits, two stop bits, RTS/CTS) quietly leaves it out; refuse
  // the setting instead of receiving garbage.
  LineState applied;
  if (int error = GetLineState(fd_, applied)) return restore(error);
  if (!LineSettingsTook(wanted, applied)) return restore(EINVAL);
  if (int error = ApplyHeldLines(block)) return restore(error);
  parityChecked_.store((block.Flags & dcb::fParity) != 0);
  return 0;
}

int PosixSerialDevice::ApplyHeldLines(const DeviceControlBlock& block) {
  const ModemLineRequest request = HeldModemLines(block);
  if (int error = HoldLine(fd_, TIOCM_DTR, request.dtr)) return error;
  return HoldLine(fd_, TIOCM_RTS, request.rts);
}

std::uint32_t PosixSerialDevice::QueueCapacity() const {
  const std::uint32_t size = inputQueueSize_.load();
  return size == 0 || size > kKernelInputQueue ? kKernelInputQueue : size;
}

int PosixSerialDevice::CollectQueueEvents(std::uint32_t& occurred) {
  const std::uint64_t generation = readGeneration_.load(std::memory_order_acquire);
  if (int error = received_.Fill(fd_, wait_.queued)) return error;
  occurred |= wait_.queue.Look(generation, wait_.queued, QueueCapacity());
  return 0;
}

int PosixSerialDevice::CollectEvents(std::uint32_t selected, bool lookAtQueue,
                                     std::uint32_t& occurred) {
  if ((selected & kQueueEvents) && lookAtQueue) {
    if (int error = CollectQueueEvents(occurred)) return error;
  } else if (selected & kQueueEvents) {
    // The reader has emptied the queue: nothing to read or count until
    // poll reports more.
    wait_.queued = 0;
    occurred |= wait_.queue.Look(readGeneration_.load(std::memory_order_acquire), 0,
                                 QueueCapacity());
  }
  if (modemLinesReadable_) {
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return errno;
    occurred |= ModemLineEvents(wait_.modemLines, lines);
    wait_.modemLines = lines;
  }
  if (countersReadable_) {
    LineCounters now;
    if (int error = ReadCounters(fd_, now)) return error;
    occurred |= CounterEvents(wait_.counters, now, parityChecked_.load());
    wait_.counters = now;
  }
  return 0;
}

WaitOutcome PosixSerialDevice::WaitForEvents(std::uint32_t& mask, int& error) {
  mask = 0;
  error = 0;
  if (fd_ < 0) {
    error = EBADF;
    return WaitOutcome::Failed;
  }
  // A wake for data belongs to the wait that saw it; left over, it would
  // make this wait find the queue empty (the bytes of a new write are not
  // yet in it) and fall back to watching the queue by timeout.
  wait_.wokeForData = false;
  // After a delivery whose reader took every byte, the queue is looked at
  // first when poll reports data: a look before would only find it empty.
  bool firstPass = true;
  for (;;) {
    if (stopRaised_.load()) return WaitOutcome::Stopped;
    const std::uint32_t selected = eventMask_.load();
    const bool lookAtQueue = !firstPass || !received_.Empty() ||
                             wait_.queue.Unread(readGeneration_.load(std::memory_order_acquire));
    firstPass = false;
    if (!wait_.hungUp) {
      std::uint32_t occurred = 0;
      const int collectError = CollectEvents(selected, lookAtQueue, occurred);
      if (HungUp(collectError)) {
        wait_.hungUp = true;
      } else if (collectError != 0) {
        error = collectError;
        return WaitOutcome::Failed;
      } else if (occurred & selected) {
        mask = occurred & selected;
        return WaitOutcome::Events;
      }
    }
    // The count can read 0 right after poll reported data; then the next
    // poll watches the queue by timeout rather than spin on POLLIN.
    const bool emptyAfterDataWake = wait_.wokeForData && wait_.queued == 0;
    wait_.wokeForData = false;

    // A hung-up device would report POLLHUP at once on every poll: from
    // then on only the stop signal is waited for.
    pollfd fds[3] = {{stopFd_, POLLIN, 0}, {fd_, 0, 0}, {lineWatcher_.WakeFd(), 0, 0}};
    nfds_t count = wait_.hungUp ? 1 : 2;
    int timeout = -1;
    if (!wait_.hungUp) {
      const bool wantData = (selected & kQueueEvents) != 0;
      const bool unreadData = wait_.queue.Unread(readGeneration_.load(std::memory_order_acquire));
      if (wantData && !unreadData && !emptyAfterDataWake) {
        fds[1].events = POLLIN;
      } else if (wantData) {
        timeout = kLinePollMs;
      }
      // Line changes wake the wait through the watcher; only a driver that
      // cannot report them is looked at by timeout. Line errors and breaks
      // are counted by the driver and read at every wake.
      if (modemLinesReadable_ && (selected & kModemEvents)) {
        if (lineWatcher_.Watch(fd_)) {
          fds[2].events = POLLIN;
          count = 3;
        } else {
          timeout = kLinePollMs;
        }
      }
    }
    const int ready = ::poll(fds, count, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return WaitOutcome::Failed;
    }
    if (count == 3 && (fds[2].revents & POLLIN)) lineWatcher_.Consume();
    if (count >= 2) {
      if (fds[1].revents & POLLNVAL) {
        error = EBADF;
        return WaitOutcome::Failed;
      }
      if (fds[1].revents & (POLLHUP | POLLERR)) wait_.hungUp = true;
      wait_.wokeForData = (fds[1].revents & POLLIN) != 0;
    }
  }
}

void PosixSerialDevice::StopWait() {
  stopRaised_.store(true);
  if (stopFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopFd_, &one, sizeof one);
  }
}

void PosixSerialDevice::ResetStop() {
  stopRaised_.store(false);
  if (stopFd_ >= 0) {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t drained = ::read(stopFd_, &value, sizeof value);
  }
}

int PosixSerialDevice::TakeErrors(std::uint32_t& errors) {
  if (!countersReadable_) return 0;
  std::lock_guard lock(errorMutex_);
  LineCounters now;
  if (int error = ReadCounters(fd_, now)) return error;
  errors = ErrorFlags(errorBaseline_, now, parityChecked_.load());
  errorBaseline_ = now;
  return 0;
}

int PosixSerialDevice::QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) {
  inputCount = 0;
  errors = 0;
  if (fd_ < 0) return EBADF;
  if (int error = received_.Count(fd_, inputCount)) return error;
  return TakeErrors(errors);
}

int PosixSerialDevice::ClearErrors(std::uint32_t& errors) {
  errors = 0;
  if (fd_ < 0) return EBADF;
  return TakeErrors(errors);
}

int PosixSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  bytesRead = 0;
  if (fd_ < 0) return EBADF;
  if (count == 0) return 0;
  if (int error = received_.Read(fd_, buffer, count, bytesRead)) return error;
  readGeneration_.fetch_add(1, std::memory_order_release);
  return 0;
}

int PosixSerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                             std::uint32_t& written) {
  written = 0;
  if (fd_ < 0) return EBADF;
  // The descriptor is non-blocking: what the driver's queue does not take
  // now is waited for with poll, never past the deadline.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (written < count) {
    const ssize_t n = ::write(fd_, buffer + written, count - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return ETIMEDOUT;
    pollfd fds{fd_, POLLOUT, 0};
    const int ready = ::poll(&fds, 1, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) return errno;
    // A device that hung up would report it at once on every poll.
    if (ready > 0 && (fds.revents & POLLNVAL)) return EBADF;
    if (ready > 0 && (fds.revents & (POLLERR | POLLHUP))) return EIO;
  }
  return 0;
}

int PosixSerialDevice::ModemStatus(std::uint32_t& status) {
  status = 0;
  if (fd_ < 0) return EBADF;
  if (!modemLinesReadable_) return 0;
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) != 0) return errno;
  if (lines & TIOCM_CTS) status |= ms::CTS_ON;
  if (lines & TIOCM_DSR) status |= ms::DSR_ON;
  if (lines & TIOCM_RI) status |= ms::RING_ON;
  if (lines & TIOCM_CD) status |= ms::RLSD_ON;
  return 0;
}

int PosixSerialDevice::Purge(std::uint32_t flags) {
  if (fd_ < 0) return EBADF;
  // Reads never block and writes end within their time, so there is
  // nothing to abort.
  const bool input = (flags & purge::RXCLEAR) != 0;
  const bool output = (flags & purge::TXCLEAR) != 0;
  if (!input && !output) return 0;
  if (!input) return tcflush(fd_, TCOFLUSH) == 0 ? 0 : errno;
  if (int error = received_.Discard(fd_, output)) return error;
  readGeneration_.fetch_add(1, std::memory_order_release);
  return 0;
}
