#pragma once

// Reaching a TCP server within a bounded time, so that a caller on the UI
// thread is never held up by the network for long.

#include <sys/socket.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
};

// Looks host names up on a thread of their own and waits for the answer at
// most the given time. A lookup that takes longer goes on in the background
// and is waited for again by the next call for the same host, so a slow name
// server never holds more than one lookup thread per resolver. Numeric
// addresses are taken at once.
class HostResolver {
 public:
  HostResolver();
  ~HostResolver();
  HostResolver(const HostResolver&) = delete;
  HostResolver& operator=(const HostResolver&) = delete;

  // 0 and the addresses, or an errno with a Polish sentence (Windows-1250)
  // in `detail`.
  int Resolve(const std::string& host, std::uint16_t port, int timeoutMs,
              std::vector<SocketAddress>& addresses, std::string& detail);

 private:
  struct Lookup;
  std::shared_ptr<Lookup> pending_;
};

// Connects a non-blocking stream socket to the first address that answers
// within the time left. 0 and the socket, or the errno of the last attempt
// (ETIMEDOUT when time ran out).
int ConnectWithTimeout(const std::vector<SocketAddress>& addresses, int timeoutMs, int& socketFd);
