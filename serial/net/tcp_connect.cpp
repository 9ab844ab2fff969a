#include "serial/net/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct LookupResult {
  int gaiError = 0;
  int systemError = 0;
  std::vector<SocketAddress> addresses;
};

LookupResult LookUpHost(const std::string& host, std::uint16_t port, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags | AI_NUMERICSERV;
  addrinfo* list = nullptr;
  LookupResult result;
  result.gaiError = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (result.gaiError == EAI_SYSTEM) result.systemError = errno;
  if (result.gaiError != 0) return result;
  for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
    SocketAddress address;
    std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
    address.length = entry->ai_addrlen;
    result.addresses.push_back(address);
  }
  freeaddrinfo(list);
  return result;
}

int Outcome(const LookupResult& result, const std::string& host,
            std::vector<SocketAddress>& addresses, std::string& detail) {
  if (result.gaiError == 0 && !result.addresses.empty()) {
    addresses = result.addresses;
    return 0;
  }
  detail = "nie znaleziono hosta \x84" + host + "\x94 (" +
           (result.gaiError != 0 ? gai_strerror(result.gaiError) : "brak adres\xF3w") +
           "); sprawd\x9F nazw\xEA w porty.ini albo podaj adres IP";
  if (result.gaiError == EAI_SYSTEM && result.systemError != 0) return result.systemError;
  if (result.gaiError == EAI_AGAIN) return EAGAIN;
  return EHOSTUNREACH;
}

}  // namespace

struct HostResolver::Lookup {
  std::string host;
  std::uint16_t port = 0;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  LookupResult result;
};

HostResolver::HostResolver() = default;
HostResolver::~HostResolver() = default;

int HostResolver::Resolve(const std::string& host, std::uint16_t port, int timeoutMs,
                          std::vector<SocketAddress>& addresses, std::string& detail) {
  addresses.clear();
  detail.clear();
  const LookupResult numeric = LookUpHost(host, port, AI_NUMERICHOST);
  if (numeric.gaiError != EAI_NONAME) return Outcome(numeric, host, addresses, detail);

  if (!pending_ || pending_->host != host || pending_->port != port) {
    auto lookup = std::make_shared<Lookup>();
    lookup->host = host;
    lookup->port = port;
    // The thread holds its own reference: a lookup given up on here still
    // has somewhere to put its answer.
    std::thread([lookup] {
      LookupResult result = LookUpHost(lookup->host, lookup->port, 0);
      std::lock_guard lock(lookup->mutex);
      lookup->result = std::move(result);
      lookup->done = true;
      lookup->finished.notify_all();
    }).detach();
    pending_ = std::move(lookup);
  }
  std::unique_lock lock(pending_->mutex);
  if (!pending_->finished.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return pending_->done; })) {
    detail = "nazwa hosta \x84" + host + "\x94 nie zosta\xB3" "a ustalona w ci\xB9gu " +
             std::to_string(timeoutMs) + " ms; kolejna pr\xF3" "ba przy nast\xEApnym po\xB3\xB9" "czeniu";
    return ETIMEDOUT;
  }
  const LookupResult result = pending_->result;
  lock.unlock();
  // Looked up afresh next time, so that a changed address is found.
  pending_.reset();
  return Outcome(result, host, addresses, detail);
}

int ConnectWithTimeout(const std::vector<SocketAddress>& addresses, int timeoutMs, int& socketFd) {
  socketFd = -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int error = EHOSTUNREACH;
  for (const SocketAddress& address : addresses) {
    const int fd = ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      error = errno;
      continue;
    }
    int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length);
    if (result != 0 && errno == EINPROGRESS) {
      for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
          error = errno;
        } else if (ready == 0) {
          error = ETIMEDOUT;
        } else {
          int soError = 0;
          socklen_t length = sizeof soError;
          if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) soError = errno;
          error = soError;
          result = soError == 0 ? 0 : -1;
        }
        break;
      }
    } else if (result != 0) {
      error = errno;
    }
    if (result == 0) {
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
      socketFd = fd;
      return 0;
    }
    ::close(fd);
    if (error == ETIMEDOUT || Clock::now() >= deadline) return ETIMEDOUT;
  }
  return error;
}
