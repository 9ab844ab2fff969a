#include "tools/waga-sim/tcp_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/waga-sim/com_port_server.h"

namespace {

constexpr std::size_t kMaxPending = 64 * 1024;

class TcpLink final : public SimLink {
 public:
  explicit TcpLink(bool comPortControl) : comPortControl_(comPortControl) {}
  ~TcpLink() override;
  bool Listen(const std::string& address, std::uint16_t port, int baud, std::string& error);

 private:
  void Watch(std::vector<pollfd>& fds, Until until) override;
  bool Serve(const std::vector<pollfd>& fds, Until until) override;
  ssize_t WriteSome(std::string_view bytes) override;
  bool Delivering() const override { return client_ >= 0; }
  std::optional<LineFormat> ReceiverFormat() override;
  long Unread() override;

  void Accept();
  void Receive();
  // Sends what is pending without waiting; false when the client is gone.
  bool Flush();
  void DropClient();

  const bool comPortControl_;
  int listener_ = -1;
  int client_ = -1;
  ComPortServer server_;
  std::string pending_;  // for the client, not yet taken by the socket
};

TcpLink::~TcpLink() {
  for (int fd : {client_, listener_})
    if (fd >= 0) close(fd);
}

bool TcpLink::Listen(const std::string& address, std::uint16_t port, int baud, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int e = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found); e != 0) {
    error = "bad listening address " + address + ": " + gai_strerror(e);
    return false;
  }
  listener_ = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int on = 1;
  const bool listening = listener_ >= 0 &&
                         setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                         bind(listener_, found->ai_addr, found->ai_addrlen) == 0 && listen(listener_, 4) == 0;
  const bool v6 = found->ai_family == AF_INET6;
  freeaddrinfo(found);
  if (!listening) {
    error = "cannot listen on " + address + " port " + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
  const std::uint16_t actual = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                        : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  path_ = std::string(comPortControl_ ? "rfc2217://" : "tcp://") + (v6 ? "[" + address + "]" : address) + ":" +
          std::to_string(actual);
  SetPace(baud);
  return true;
}

void TcpLink::Watch(std::vector<pollfd>& fds, Until until) {
  fds.push_back({listener_, POLLIN, 0});
  if (client_ >= 0) {
    // A client that sends without reading what it is answered is not read
    // until it has taken the answers: they never pile up without limit.
    const bool reading = pending_.size() < kMaxPending;
    const bool writing = until == Until::Room || !pending_.empty();
    fds.push_back({client_, static_cast<short>((reading ? POLLIN : 0) | (writing ? POLLOUT : 0)), 0});
  }
}

bool TcpLink::Serve(const std::vector<pollfd>& fds, Until until) {
  if (fds.size() > 1) {
    const short revents = fds[1].revents;
    if (revents & POLLIN) Receive();
    if (client_ >= 0 && (revents & (POLLHUP | POLLERR | POLLNVAL))) DropClient();
    if (client_ >= 0 && (revents & POLLOUT)) Flush();
  }
  if (fds[0].revents & POLLIN) Accept();
  switch (until) {
    case Until::Room: return client_ < 0 || pending_.empty();
    case Until::Peer: return client_ >= 0;
    case Until::Time: case Until::Input: return false;
  }
  return false;
}

void TcpLink::Accept() {
  const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;
  if (client_ >= 0) {  // one client at a time
    close(fd);
    return;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  client_ = fd;
  server_ = ComPortServer();
  pending_.clear();
}

void TcpLink::Receive() {
  // One look per wake-up, so that a client that never stops sending cannot
  // hold the script.
  char buffer[4096];
  const ssize_t n = recv(client_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    DropClient();
    return;
  }
  if (n < 0) return;
  if (!comPortControl_) return Received({buffer, static_cast<std::size_t>(n)});
  server_.Feed(buffer, static_cast<std::size_t>(n));
  Received(server_.TakeData());
  pending_ += server_.TakeReplies();
  Flush();
}

bool TcpLink::Flush() {
  while (!pending_.empty()) {
    const ssize_t n = send(client_, pending_.data(), pending_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) {
      pending_.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return true;
    } else {
      DropClient();
      return false;
    }
  }
  return true;
}

void TcpLink::DropClient() {
  close(client_);
  client_ = -1;
  pending_.clear();
}

ssize_t TcpLink::WriteSome(std::string_view bytes) {
  // Taken whole while nothing waits: the escaping may make more bytes than
  // were given, so the link keeps what the socket has not taken yet.
  if (client_ >= 0 && !pending_.empty()) Flush();
  if (client_ < 0) return static_cast<ssize_t>(bytes.size());
  if (!pending_.empty()) {
    errno = EAGAIN;
    return -1;
  }
  pending_ = comPortControl_ ? ComPortServer::Encode(bytes) : std::string(bytes);
  Flush();
  return static_cast<ssize_t>(bytes.size());
}

std::optional<LineFormat> TcpLink::ReceiverFormat() {
  // A raw port has no line settings; with COM port control, what the
  // client set (the server's defaults until it does).
  if (!comPortControl_) return std::nullopt;
  static constexpr Parity kParities[] = {Parity::None, Parity::Odd, Parity::Even, Parity::Mark, Parity::Space};
  LineFormat format;
  format.baud = server_.Rate();
  format.dataBits = server_.DataSize() >= 5 && server_.DataSize() <= 8 ? server_.DataSize() : 8;
  format.parity = server_.Parity() >= 1 && server_.Parity() <= 5 ? kParities[server_.Parity() - 1] : Parity::None;
  format.stopHalves = server_.StopSize() == 2 ? 4 : server_.StopSize() == 3 ? 3 : 2;
  return format.baud > 0 ? std::optional(format) : std::nullopt;
}

long TcpLink::Unread() {
  if (client_ < 0) return 0;
  int unsent = 0;
  if (ioctl(client_, SIOCOUTQ, &unsent) != 0) return -1;
  return static_cast<long>(pending_.size()) + unsent;
}

}  // namespace

std::unique_ptr<SimLink> OpenTcpLink(const std::string& address, std::uint16_t port, bool comPortControl,
                                     int baud, std::string& error) {
  auto link = std::make_unique<TcpLink>(comPortControl);
  if (!link->Listen(address, port, baud, error)) return nullptr;
  return link;
}
