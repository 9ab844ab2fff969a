#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serial/net/net_target.h"
#include "serial/net/tcp_connect.h"
#include "serial/net/telnet_options.h"
#include "serial/net/telnet_parser.h"
#include "serial/input_queue_report.h"
#include "serial/serial_device.h"

// A serial port on a TCP serial server: the bytes as they are (raw TCP), or
// Telnet with the COM port control option (RFC 2217), which carries the line
// settings to the remote port and brings back its modem lines and line
// errors.
//
// Received data goes into a bounded input queue; while the queue is full the
// socket is not read, so TCP holds the sender back and nothing is lost. A
// closed or broken connection is a hang-up: the data already received can
// still be read, the modem lines drop, and the wait then waits for the stop
// signal only.
//
// Threads: as for the terminal device, one thread may wait for events while
// another reads, queries and purges; all connection state is kept under one
// lock. Open and Close run while no wait is under way.
class NetSerialDevice final : public SerialDevice, private TelnetSink {
 public:
  explicit NetSerialDevice(NetTarget target);
  ~NetSerialDevice() override;
  NetSerialDevice(const NetSerialDevice&) = delete;
  NetSerialDevice& operator=(const NetSerialDevice&) = delete;

  // The port name is not looked at: the target says where to connect.
  int Open(const std::string& port) override;
  bool IsOpen() const override { return fd_.load() >= 0; }
  int SetQueueSizes(std::uint32_t input, std::uint32_t output) override;
  int SetLineParameters(const DeviceControlBlock& block) override;
  int SetTimeouts(const DeviceTimeouts& timeouts) override;
  int SetEventMask(std::uint32_t mask) override;
  WaitOutcome WaitForEvents(std::uint32_t& mask, int& error) override;
  void StopWait() override;
  void ResetStop() override;
  int QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) override;
  int Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) override;
  int Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
            std::uint32_t& written) override;
  int ModemStatus(std::uint32_t& status) override;
  int Purge(std::uint32_t flags) override;
  void Close() override;
  std::string OpenFailureDetail() const override { return detail_; }

  // Each wait has its limit, and an open (with the first line settings it
  // carries) holds the caller at most the budget: well under the 2 s
  // supervision tick.
  static constexpr int kOpenBudgetMs = 800;
  static constexpr int kResolveTimeoutMs = 300;
  static constexpr int kConnectTimeoutMs = 500;
  static constexpr int kNegotiationTimeoutMs = 300;
  static constexpr int kReplyTimeoutMs = 300;
  // How often a wait looks again while the input queue is full.
  static constexpr int kFullQueuePollMs = 50;
  // The input queue when no size was given.
  static constexpr std::uint32_t kDefaultQueue = 4096;

 private:
  void TelnetData(const char* data, std::size_t size) override;
  void TelnetOption(std::uint8_t verb, std::uint8_t option) override;
  void TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* data, std::size_t size) override;

  static TelnetOptions ClientOptions();
  void ResetConnectionState();
  int NegotiateComPortControl();
  // The limit, cut to what is left of the open's budget while the first
  // line settings of the connection are not yet applied.
  int WaitLimitMs(int limitMs) const;
  void PumpLocked();
  // Sends everything, waiting for room in the socket only when `mayWait`.
  int SendLocked(const std::string& bytes, bool mayWait);
  // Sends everything within `waitMs`; `sent` receives how many bytes went.
  int SendLocked(const std::string& bytes, std::uint32_t waitMs, std::size_t& sent);
  void HangUpLocked();
  void SetModemStatusLocked(std::uint32_t status);
  std::size_t QueuedLocked() const { return queue_.size() - head_; }
  bool QueueFullLocked() const { return QueuedLocked() >= queueLimit_; }
  std::uint32_t CollectEventsLocked(std::uint32_t selected);
  template <class Done>
  bool PumpUntil(std::unique_lock<std::mutex>& lock, int timeoutMs, Done done);

  const NetTarget target_;
  HostResolver resolver_;
  std::string detail_;
  int stopFd_ = -1;
  int stopFdError_ = 0;
  std::atomic<bool> stopRaised_{false};
  std::atomic<int> fd_{-1};
  std::atomic<std::uint32_t> eventMask_{0};

  std::mutex mutex_;
  TelnetParser parser_;
  std::vector<char> queue_;
  std::size_t head_ = 0;
  std::uint32_t queueLimit_ = kDefaultQueue;
  bool hungUp_ = false;
  std::uint32_t modemStatus_ = 0;
  std::uint32_t pendingEvents_ = 0;
  std::uint32_t lineErrors_ = 0;
  std::uint64_t readGeneration_ = 0;
  InputQueueReport queueReport_;
  TelnetOptions options_ = ClientOptions();
  std::optional<std::uint32_t> rateReply_;
  std::optional<DeviceControlBlock> applied_;
  std::chrono::steady_clock::time_point openDeadline_;
};
