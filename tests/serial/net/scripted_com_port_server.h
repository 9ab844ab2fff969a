#pragma once

// A serial server for tests on 127.0.0.1: answers Telnet with COM port
// control as the simulator does (or stays silent), and sends what the test
// scripts: data, modem and line state notifications. It keeps every byte the
// client sent, as it came over the wire, and can be told to stop reading. One client at a time;
// it runs on a thread of its own, and every call of the test is handed to
// that thread under one lock.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "serial/net/com_port_control.h"
#include "tools/waga-sim/com_port_server.h"

class ScriptedComPortServer {
 public:
  enum class Mode { Answering, Silent };

  explicit ScriptedComPortServer(Mode mode = Mode::Answering) : mode_(mode) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 2);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
  }

  ~ScriptedComPortServer() {
    stop_ = true;
    Wake();
    thread_.join();
    for (int fd : {client_, listener_, wake_})
      if (fd >= 0) close(fd);
  }

  std::string Target() const { return "rfc2217://127.0.0.1:" + std::to_string(port); }

  // Sent as they stand: data must be escaped by the caller.
  void SendRaw(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    outbox_ += bytes;
    Wake();
  }
  void SendData(const std::string& data) { SendRaw(ComPortServer::Encode(data)); }
  void NotifyModemState(std::uint8_t state) {
    std::lock_guard lock(mutex_);
    server_.NotifyModemState(state);
    outbox_ += server_.TakeReplies();
    Wake();
  }
  void NotifyLineState(std::uint8_t state) {
    SendRaw(ComPortCommand(cpc::kServerOffset + cpc::NotifyLineState, state));
  }

  // Every byte received from the client, Telnet commands and escapes included.
  std::string Wire() { return Locked([&] { return wire_; }); }
  // From now on the client's bytes stay unread in the socket.
  void StopReading() {
    reading_ = false;
    Wake();
  }

  bool Connected() const { return connected_; }
  bool ComPortEnabled() { return Locked([&] { return server_.ComPortEnabled(); }); }
  int Purges() { return Locked([&] { return server_.Purges(); }); }
  std::uint32_t Rate() { return Locked([&] { return server_.Rate(); }); }
  int Clients() const { return clients_; }

  std::uint16_t port = 0;

 private:
  template <typename Read>
  auto Locked(Read read) -> decltype(read()) {
    std::lock_guard lock(mutex_);
    return read();
  }
  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
  }

  void Run() {
    while (!stop_) {
      short clientEvents = reading_ ? POLLIN : 0;
      {
        std::lock_guard lock(mutex_);
        if (!outbox_.empty()) clientEvents |= POLLOUT;
      }
      // A client that is not read is not watched either: its hang-up would
      // wake every poll.
      pollfd fds[3] = {{wake_, POLLIN, 0}, {listener_, POLLIN, 0}, {client_, clientEvents, 0}};
      poll(fds, client_ >= 0 && clientEvents != 0 ? 3 : 2, -1);
      std::uint64_t drained = 0;
      [[maybe_unused]] const ssize_t n = read(wake_, &drained, sizeof drained);
      std::lock_guard lock(mutex_);
      if (fds[1].revents & POLLIN) Accept();
      if (client_ >= 0 && reading_ && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) Receive();
      // Only what the socket takes now: a client that does not read holds
      // the rest here, never this thread.
      if (client_ >= 0 && !outbox_.empty()) {
        const ssize_t sent = send(client_, outbox_.data(), outbox_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) outbox_.erase(0, static_cast<std::size_t>(sent));
      }
    }
  }

  void Accept() {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    if (client_ >= 0) close(client_);
    client_ = fd;
    server_ = ComPortServer();
    ++clients_;
    connected_ = true;
  }

  void Receive() {
    char buffer[512];
    const ssize_t n = recv(client_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && errno == EAGAIN) return;
    if (n <= 0) {
      close(client_);
      client_ = -1;
      connected_ = false;
      return;
    }
    wire_.append(buffer, static_cast<std::size_t>(n));
    if (mode_ == Mode::Silent) return;
    server_.Feed(buffer, static_cast<std::size_t>(n));
    outbox_ += server_.TakeReplies();
  }

  const Mode mode_;
  int listener_ = -1;
  int wake_ = -1;
  int client_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> connected_{false};
  std::atomic<bool> reading_{true};
  std::atomic<int> clients_{0};
  std::mutex mutex_;
  ComPortServer server_;
  std::string outbox_;
  std::string wire_;
  std::thread thread_;
};
