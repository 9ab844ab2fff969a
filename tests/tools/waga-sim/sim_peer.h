#pragma once

// The simulator as a test's scale, started with the given options and
// reached as the program would: its pseudo-terminal, its raw TCP port, or
// as an RFC 2217 client (the Telnet layer taken off). Reads are bounded.

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "serial/net/com_port_control.h"
#include "serial/net/telnet_parser.h"
#include "tests/support/serial/simulator_process.h"
#include "tools/waga-sim/com_port_server.h"

class SimPeer : private TelnetSink {
 public:
  explicit SimPeer(std::vector<std::string> options) : sim_(WAGA_SIM_PATH, std::move(options)), path_(sim_.target) {
    EXPECT_FALSE(path_.empty()) << "waga-sim did not start";
    telnet_ = path_.rfind("rfc2217://", 0) == 0;
    if (path_.rfind("/dev/", 0) == 0) {
      fd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);  // raw: the simulator set it so
    } else if (const auto colon = path_.rfind(':'); colon != std::string::npos) {
      sockaddr_in address{AF_INET, htons(std::uint16_t(std::stoi(path_.substr(colon + 1)))), {htonl(INADDR_LOOPBACK)}, {}};
      fd_ = socket(AF_INET, SOCK_STREAM, 0);
      EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      parser_.SetBinary(true);
      if (telnet_) Raw({char(telnet::IAC), char(telnet::WILL), char(telnet::kComPortOption)});
    }
    EXPECT_GE(fd_, 0) << path_;
  }

  ~SimPeer() override { Stop(); }

  // SIGTERM, and how the simulator ended (SimulatorProcess::Stop).
  int Stop() {
    if (fd_ >= 0) close(std::exchange(fd_, -1));
    return sim_.Stop();
  }

  // What the program would write to its port.
  void Write(const std::string& bytes) { Raw(telnet_ ? ComPortServer::Encode(bytes) : bytes); }

  // As the program would set its port: the speed of a pseudo-terminal, or
  // the COM port control commands (parity 1 none, 2 odd, 3 even), in force
  // once the server has answered the last.
  void SetLine(std::uint32_t baud, std::uint8_t dataBits = 8, std::uint8_t parity = 1, std::uint8_t stop = 1) {
    if (!telnet_) {
      termios tio{};
      tcgetattr(fd_, &tio);
      cfsetspeed(&tio, baud == 4800 ? B4800 : baud == 1200 ? B1200 : B9600);
      ASSERT_EQ(tcsetattr(fd_, TCSANOW, &tio), 0);
      return;
    }
    const std::uint8_t rate[4] = {std::uint8_t(baud >> 24), std::uint8_t(baud >> 16), std::uint8_t(baud >> 8),
                                  std::uint8_t(baud)};
    stopAnswered_ = false;
    Raw(ComPortCommand(cpc::SetBaudRate, rate, 4) + ComPortCommand(cpc::SetDataSize, dataBits) +
        ComPortCommand(cpc::SetParity, parity) + ComPortCommand(cpc::SetStopSize, stop));
    Read([&] { return stopAnswered_; });
  }

  // The first `count` bytes received (fewer when they do not come in five
  // seconds); with `lines`, up to the end of the count-th line.
  std::string Take(std::size_t count, bool lines = false) {
    auto end = [&] {
      std::size_t at = lines ? 0 : count;
      for (std::size_t i = 0; lines && i < count && at != std::string::npos; ++i)
        if ((at = data_.find('\n', at)) != std::string::npos) ++at;
      return at;
    };
    Read([&] { return end() <= data_.size(); });
    std::string taken = data_.substr(0, std::min(end(), data_.size()));
    data_.erase(0, taken.size());
    return taken;
  }
  std::string Lines(std::size_t count) { return Take(count, true); }
  // Everything received within `ms`: for a scale that must keep quiet.
  std::string Quiet(int ms) {
    Read([] { return false; }, ms);
    return Take(data_.size());
  }

 private:
  using Clock = std::chrono::steady_clock;

  template <typename Done>
  void Read(Done done, int timeoutMs = 5000) {
    for (const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
         !done() && Clock::now() < deadline;) {
      pollfd p{fd_, POLLIN, 0};
      char buffer[512];
      const ssize_t n = poll(&p, 1, 20) > 0 ? read(fd_, buffer, sizeof buffer) : 0;
      if (n > 0 && telnet_) parser_.Feed(buffer, static_cast<std::size_t>(n), *this);
      if (n > 0 && !telnet_) data_.append(buffer, static_cast<std::size_t>(n));
    }
  }
  void Raw(const std::string& bytes) {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void TelnetData(const char* bytes, std::size_t size) override { data_.append(bytes, size); }
  void TelnetOption(std::uint8_t, std::uint8_t) override {}
  void TelnetSubnegotiation(std::uint8_t, const std::uint8_t* data, std::size_t size) override {
    stopAnswered_ = stopAnswered_ || (size > 0 && data[0] == cpc::kServerOffset + cpc::SetStopSize);
  }

  SimulatorProcess sim_;
  int fd_ = -1;
  std::string path_;
  bool telnet_ = false, stopAnswered_ = false;
  TelnetParser parser_;
  std::string data_;
};
