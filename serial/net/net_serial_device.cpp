#include "serial/net/net_serial_device.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "serial/net/com_port_control.h"

namespace {

using Clock = std::chrono::steady_clock;

// At most this much is taken from the socket by one look at it, so that a
// server that never stops sending cannot hold a caller.
constexpr std::size_t kMaxPumpBytes = 64 * 1024;
constexpr std::size_t kMinQueue = 64;

std::uint32_t ModemEvents(std::uint32_t before, std::uint32_t now) {
  const std::uint32_t changed = before ^ now;
  std::uint32_t events = 0;
  if (changed & ms::CTS_ON) events |= ev::CTS;
  if (changed & ms::DSR_ON) events |= ev::DSR;
  if (changed & ms::RLSD_ON) events |= ev::RLSD;
  if (changed & ms::RING_ON) events |= ev::RING;
  return events;
}

std::string HostAndPort(const NetTarget& target) {
  const bool v6 = target.host.find(':') != std::string::npos;
  return (v6 ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
}

}  // namespace

NetSerialDevice::NetSerialDevice(NetTarget target) : target_(std::move(target)) {
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) stopFdError_ = errno;
}

NetSerialDevice::~NetSerialDevice() {
  Close();
  if (stopFd_ >= 0) ::close(stopFd_);
}

TelnetOptions NetSerialDevice::ClientOptions() {
  return TelnetOptions({telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption},
                       {telnet::kBinary, telnet::kSuppressGoAhead});
}

void NetSerialDevice::ResetConnectionState() {
  parser_ = TelnetParser();
  queue_.clear();
  head_ = 0;
  hungUp_ = false;
  modemStatus_ = 0;
  pendingEvents_ = 0;
  lineErrors_ = 0;
  queueReport_ = InputQueueReport();
  options_ = ClientOptions();
  rateReply_.reset();
}

int NetSerialDevice::Open(const std::string&) {
  if (fd_.load() >= 0) return EBUSY;
  detail_.clear();
  if (stopFd_ < 0) return stopFdError_;
  openDeadline_ = Clock::now() + std::chrono::milliseconds(kOpenBudgetMs);
  applied_.reset();
  std::vector<SocketAddress> addresses;
  if (int error = resolver_.Resolve(target_.host, target_.port, WaitLimitMs(kResolveTimeoutMs), addresses, detail_)) {
    return error;
  }
  int fd = -1;
  if (int error = ConnectWithTimeout(addresses, WaitLimitMs(kConnectTimeoutMs), fd)) {
    detail_ = "nie mo\xBFna po\xB3\xB9" "czy\xE6 si\xEA z " + HostAndPort(target_) + " (" + std::strerror(error) +
              "); czy serwer portu szeregowego dzia\xB3" "a i s\xB3ucha na tym porcie?";
    return error;
  }
  {
    std::lock_guard lock(mutex_);
    ResetConnectionState();
    // A raw connection has no modem lines of its own: the lines read as a
    // cable with a ready peer, and drop when the connection goes.
    if (target_.protocol == NetProtocol::RawTcp) modemStatus_ = ms::CTS_ON | ms::DSR_ON | ms::RLSD_ON;
  }
  fd_.store(fd);
  if (target_.protocol == NetProtocol::Rfc2217) {
    if (int error = NegotiateComPortControl()) {
      Close();
      return error;
    }
  }
  return 0;
}

int NetSerialDevice::NegotiateComPortControl() {
  std::unique_lock lock(mutex_);
  const std::string offer = options_.Ask(telnet::WILL, telnet::kComPortOption) +
                            options_.Ask(telnet::WILL, telnet::kBinary) +
                            options_.Ask(telnet::DO, telnet::kBinary) +
                            options_.Ask(telnet::DO, telnet::kSuppressGoAhead);
  if (int error = SendLocked(offer, true)) {
    detail_ = "serwer " + HostAndPort(target_) + " zamkn\xB9\xB3 po\xB3\xB9" "czenie";
    return error;
  }
  const int limitMs = WaitLimitMs(kNegotiationTimeoutMs);
  const bool answered = PumpUntil(lock, limitMs, [this] {
    return options_.Ours(telnet::kComPortOption) || options_.RefusedOurs(telnet::kComPortOption);
  });
  if (options_.Ours(telnet::kComPortOption)) {
    // Every line error and modem line change the server can tell.
    const int error = SendLocked(ComPortCommand(cpc::SetLineStateMask, cpc::LineOverrun | cpc::LineParity |
                                                                           cpc::LineFraming | cpc::LineBreak) +
                                     ComPortCommand(cpc::SetModemStateMask, 0xFF),
                                 true);
    if (error != 0) detail_ = "serwer " + HostAndPort(target_) + " zamkn\xB9\xB3 po\xB3\xB9" "czenie";
    return error;
  }
  if (hungUp_) {
    detail_ = "serwer " + HostAndPort(target_) + " zamkn\xB9\xB3 po\xB3\xB9" "czenie";
    return ECONNRESET;
  }
  detail_ = answered ? "serwer " + HostAndPort(target_) +
                           " nie obs\xB3uguje sterowania portem (RFC 2217); u\xBFyj tcp:// albo w\xB3\xB9" "cz "
                           "telnet(rfc2217) w serwerze"
                     : "serwer " + HostAndPort(target_) +
                           " nie odpowiedzia\xB3 na sterowanie portem (RFC 2217) w ci\xB9gu " +
                           std::to_string(limitMs) + " ms";
  return answered ? EPROTONOSUPPORT : ETIMEDOUT;
}

void NetSerialDevice::Close() {
  const int fd = fd_.exchange(-1);
  if (fd < 0) return;
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

int NetSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t) {
  if (fd_.load() < 0) return EBADF;
  std::lock_guard lock(mutex_);
  queueLimit_ = input == 0 ? kDefaultQueue : std::max<std::uint32_t>(input, kMinQueue);
  return 0;
}

int NetSerialDevice::SetTimeouts(const DeviceTimeouts&) {
  // Reads never wait, which is what the component's timeouts ask for.
  return fd_.load() < 0 ? EBADF : 0;
}

int NetSerialDevice::SetEventMask(std::uint32_t mask) {
  if (fd_.load() < 0) return EBADF;
  eventMask_.store(mask);
  return 0;
}

int NetSerialDevice::SetLineParameters(const DeviceControlBlock& block) {
  if (fd_.load() < 0) return EBADF;
  if (block.BaudRate == 0 || block.ByteSize < 5 || block.ByteSize > 8 || block.Parity > 4 ||
      block.StopBits > 2) {
    return EINVAL;
  }
  // A raw connection carries no settings: the server's own configuration
  // sets the remote port.
  if (target_.protocol == NetProtocol::RawTcp) return 0;

  std::unique_lock lock(mutex_);
  if (hungUp_) return EIO;
  rateReply_.reset();
  if (int error = SendLocked(LineSettingCommands(block), true)) return error;
  // The server answers the rate with the one it set; a rate it cannot make
  // is refused like a driver's, and the previous settings are sent again.
  if (!PumpUntil(lock, WaitLimitMs(kReplyTimeoutMs), [this] { return rateReply_.has_value(); })) {
    return hungUp_ ? EIO : ETIMEDOUT;
  }
  const std::int64_t wanted = block.BaudRate;
  const std::int64_t made = *rateReply_;
  if (std::llabs(made - wanted) * 100 > 3 * wanted) {
    if (applied_) SendLocked(LineSettingCommands(*applied_), true);
    return EINVAL;
  }
  applied_ = block;
  return 0;
}

int NetSerialDevice::WaitLimitMs(int limitMs) const {
  if (applied_) return limitMs;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(openDeadline_ - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, limitMs));
}

template <class Done>
bool NetSerialDevice::PumpUntil(std::unique_lock<std::mutex>& lock, int timeoutMs, Done done) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    PumpLocked();
    if (done()) return true;
    if (hungUp_) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    // Another thread may take the answer off the socket meanwhile: look
    // again now and then rather than wait for the socket alone.
    pollfd pfd{fd_.load(), static_cast<short>(QueueFullLocked() ? 0 : POLLIN), 0};
    lock.unlock();
    ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left, 20)));
    lock.lock();
  }
}

void NetSerialDevice::PumpLocked() {
  const int fd = fd_.load();
  if (fd < 0 || hungUp_) return;
  char chunk[4096];
  std::size_t taken = 0;
  while (taken < kMaxPumpBytes) {
    const std::size_t room = queueLimit_ > QueuedLocked() ? queueLimit_ - QueuedLocked() : 0;
    if (room == 0) return;
    const std::size_t want = std::min(room, sizeof chunk);
    const ssize_t n = ::recv(fd, chunk, want, MSG_DONTWAIT);
    if (n > 0) {
      taken += static_cast<std::size_t>(n);
      if (target_.protocol == NetProtocol::Rfc2217) {
        parser_.Feed(chunk, static_cast<std::size_t>(n), *this);
      } else {
        TelnetData(chunk, static_cast<std::size_t>(n));
      }
      if (static_cast<std::size_t>(n) < want) return;
    } else if (n == 0) {
      HangUpLocked();
      return;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return;
    } else {
      HangUpLocked();
      return;
    }
  }
}

int NetSerialDevice::SendLocked(const std::string& bytes, bool mayWait) {
  std::size_t sent = 0;
  return SendLocked(bytes, mayWait ? kReplyTimeoutMs : 0, sent);
}

int NetSerialDevice::SendLocked(const std::string& bytes, std::uint32_t waitMs, std::size_t& sent) {
  sent = 0;
  const int fd = fd_.load();
  if (fd < 0) return EBADF;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      const int error = errno;
      HangUpLocked();
      return error;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return ETIMEDOUT;
    pollfd pfd{fd, POLLOUT, 0};
    ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left, 1000)));
  }
  return 0;
}

int NetSerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                           std::uint32_t& written) {
  written = 0;
  if (fd_.load() < 0) return EBADF;
  if (count == 0) return 0;
  // The lock is held for the whole write, so that no Telnet answer of the
  // event thread lands between the two bytes of a doubled 0xFF.
  std::lock_guard lock(mutex_);
  PumpLocked();
  if (hungUp_) return EPIPE;
  const bool telnet = target_.protocol == NetProtocol::Rfc2217;
  const std::string wire = telnet ? TelnetEscaped(buffer, count) : std::string(buffer, count);
  std::size_t sent = 0;
  const int error = SendLocked(wire, timeoutMs, sent);
  if (!telnet) {
    written = static_cast<std::uint32_t>(sent);
  } else {
    // The data bytes that went out whole: a doubled 0xFF counts once, and
    // only when both of its bytes are on the wire.
    for (std::size_t i = 0; i < sent; ++i) {
      if (static_cast<unsigned char>(wire[i]) == telnet::IAC) {
        if (i + 1 >= sent) break;
        ++i;
      }
      ++written;
    }
  }
  return error;
}

void NetSerialDevice::HangUpLocked() {
  hungUp_ = true;
  SetModemStatusLocked(0);
}

void NetSerialDevice::SetModemStatusLocked(std::uint32_t status) {
  pendingEvents_ |= ModemEvents(modemStatus_, status);
  modemStatus_ = status;
}

void NetSerialDevice::TelnetData(const char* data, std::size_t size) {
  // Room was made for every byte taken from the socket, and Telnet never
  // makes more data than it was given.
  if (head_ > 0 && head_ >= queue_.size() / 2) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  queue_.insert(queue_.end(), data, data + size);
}

void NetSerialDevice::TelnetOption(std::uint8_t verb, std::uint8_t option) {
  const std::string reply = options_.Answer(verb, option);
  parser_.SetBinary(options_.Theirs(telnet::kBinary));
  // An answer that does not fit the socket now is dropped: the server asks
  // again or goes on without it.
  if (!reply.empty()) SendLocked(reply, false);
}

void NetSerialDevice::TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* data,
                                           std::size_t size) {
  if (option != telnet::kComPortOption || size < 2) return;
  switch (data[0]) {
    case cpc::kServerOffset + cpc::SetBaudRate:
      if (size >= 5) {
        rateReply_ = static_cast<std::uint32_t>(data[1]) << 24 | static_cast<std::uint32_t>(data[2]) << 16 |
                     static_cast<std::uint32_t>(data[3]) << 8 | data[4];
      }
      break;
    case cpc::kServerOffset + cpc::NotifyLineState: {
      const std::uint32_t flags = LineErrorFlags(data[1]);
      lineErrors_ |= flags;
      if (flags & (ce::OVERRUN | ce::RXPARITY | ce::FRAME)) pendingEvents_ |= ev::ERR;
      if (flags & ce::BREAK) pendingEvents_ |= ev::BREAK;
      break;
    }
    case cpc::kServerOffset + cpc::NotifyModemState:
      SetModemStatusLocked(ModemStatusBits(data[1]));
      // A line that went and came back between two notifications shows only
      // in the change bits.
      pendingEvents_ |= ModemDeltaEvents(data[1]);
      break;
    default:
      break;
  }
}

std::uint32_t NetSerialDevice::CollectEventsLocked(std::uint32_t selected) {
  std::uint32_t occurred = pendingEvents_ & selected;
  pendingEvents_ = 0;
  occurred |= queueReport_.Look(readGeneration_, static_cast<std::uint32_t>(QueuedLocked()), queueLimit_);
  return occurred & selected;
}

WaitOutcome NetSerialDevice::WaitForEvents(std::uint32_t& mask, int& error) {
  mask = 0;
  error = 0;
  const int fd = fd_.load();
  if (fd < 0) {
    error = EBADF;
    return WaitOutcome::Failed;
  }
  for (;;) {
    if (stopRaised_.load()) return WaitOutcome::Stopped;
    bool watchSocket = false;
    int timeout = -1;
    {
      std::lock_guard lock(mutex_);
      PumpLocked();
      if (const std::uint32_t occurred = CollectEventsLocked(eventMask_.load())) {
        mask = occurred;
        return WaitOutcome::Events;
      }
      // A hung-up socket would be readable at once on every poll: from then
      // on only the stop signal is waited for.
      if (!hungUp_) {
        watchSocket = !QueueFullLocked();
        if (!watchSocket) timeout = kFullQueuePollMs;
      }
    }
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {fd, POLLIN, 0}};
    const int ready = ::poll(fds, watchSocket ? 2 : 1, timeout);
    if (ready < 0 && errno != EINTR) {
      error = errno;
      return WaitOutcome::Failed;
    }
  }
}

void NetSerialDevice::StopWait() {
  stopRaised_.store(true);
  if (stopFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopFd_, &one, sizeof one);
  }
}

void NetSerialDevice::ResetStop() {
  stopRaised_.store(false);
  if (stopFd_ >= 0) {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t drained = ::read(stopFd_, &value, sizeof value);
  }
}

int NetSerialDevice::QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) {
  inputCount = 0;
  errors = 0;
  if (fd_.load() < 0) return EBADF;
  std::lock_guard lock(mutex_);
  PumpLocked();
  inputCount = static_cast<std::uint32_t>(QueuedLocked());
  errors = lineErrors_;
  lineErrors_ = 0;
  return 0;
}

int NetSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  bytesRead = 0;
  if (fd_.load() < 0) return EBADF;
  if (count == 0) return 0;
  std::lock_guard lock(mutex_);
  PumpLocked();
  const std::size_t n = std::min<std::size_t>(count, QueuedLocked());
  if (n == 0 && hungUp_) return EIO;
  std::memcpy(buffer, queue_.data() + head_, n);
  head_ += n;
  if (head_ == queue_.size()) {
    queue_.clear();
    head_ = 0;
  }
  bytesRead = static_cast<std::uint32_t>(n);
  ++readGeneration_;
  return 0;
}

int NetSerialDevice::ModemStatus(std::uint32_t& status) {
  status = 0;
  if (fd_.load() < 0) return EBADF;
  std::lock_guard lock(mutex_);
  status = modemStatus_;
  return 0;
}

int NetSerialDevice::Purge(std::uint32_t flags) {
  if (fd_.load() < 0) return EBADF;
  const bool input = (flags & purge::RXCLEAR) != 0;
  const bool output = (flags & purge::TXCLEAR) != 0;
  if (!input && !output) return 0;
  std::lock_guard lock(mutex_);
  if (input) {
    PumpLocked();
    queue_.clear();
    head_ = 0;
    ++readGeneration_;
  }
  if (target_.protocol == NetProtocol::Rfc2217 && options_.Ours(telnet::kComPortOption) && !hungUp_) {
    SendLocked(ComPortCommand(cpc::PurgeData, input && output ? cpc::PurgeBoth
                                              : input         ? cpc::PurgeReceive
                                                              : cpc::PurgeTransmit),
               false);
  }
  return 0;
}
