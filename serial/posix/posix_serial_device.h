#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "serial/posix/modem_line_watcher.h"
#include "serial/posix/porty_ini.h"
#include "serial/posix/receive_buffer.h"
#include "serial/input_queue_report.h"
#include "serial/serial_device.h"

// A terminal device (a UART, a USB serial adapter, a pseudo-terminal) driven
// through termios, opened non-blocking and exclusively.
//
// Threads: one thread may wait for events while another reads, queries and
// purges. Open, SetLineParameters and Close run while no wait is under way
// (the event thread has not been started yet or has ended); StopWait and
// ResetStop may be called from any thread at any time.
class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(std::string portMapFile = kPortMapFileName);
  ~PosixSerialDevice() override;
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  // Opens the device that `port` maps to in the mapping file.
  int Open(const std::string& port) override;
  // Opens the device file itself, for a caller that has read the mapping.
  int OpenDevice(const std::string& path);
  bool IsOpen() const override { return fd_ >= 0; }
  int SetQueueSizes(std::uint32_t input, std::uint32_t output) override;
  int SetLineParameters(const DeviceControlBlock& block) override;
  int SetTimeouts(const DeviceTimeouts& timeouts) override;
  int SetEventMask(std::uint32_t mask) override;
  WaitOutcome WaitForEvents(std::uint32_t& mask, int& error) override;
  void StopWait() override;
  void ResetStop() override;
  int QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) override;
  int ClearErrors(std::uint32_t& errors) override;
  int Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) override;
  int Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
            std::uint32_t& written) override;
  int ModemStatus(std::uint32_t& status) override;
  int Purge(std::uint32_t flags) override;
  void Close() override;

  // How often the queue is looked at while reported data waits unread, and
  // the modem lines where the driver cannot wake a wait on their change.
  static constexpr int kLinePollMs = 50;

  // The driver's counts of line errors and modem line changes.
  struct LineCounters {
    std::int64_t cts = 0, dsr = 0, ring = 0, dcd = 0;
    std::int64_t frame = 0, parity = 0, overrun = 0, brk = 0, bufferOverrun = 0;
  };

 private:
  // What only the waiting thread touches.
  struct WaitState {
    int modemLines = 0;
    LineCounters counters;
    InputQueueReport queue;
    std::uint32_t queued = 0;
    bool wokeForData = false;
    bool hungUp = false;
  };

  int CollectEvents(std::uint32_t selected, bool lookAtQueue, std::uint32_t& occurred);
  int CollectQueueEvents(std::uint32_t& occurred);
  int ApplyHeldLines(const DeviceControlBlock& block);
  std::uint32_t QueueCapacity() const;

  const std::string portMapFile_;
  int stopFd_ = -1;
  int stopFdError_ = 0;
  std::atomic<bool> stopRaised_{false};

  int fd_ = -1;
  bool modemLinesReadable_ = false;
  bool countersReadable_ = false;

  std::atomic<std::uint32_t> eventMask_{0};
  std::atomic<std::uint32_t> inputQueueSize_{0};
  std::atomic<bool> parityChecked_{false};
  // Advanced by every Read and input purge: data reported before it has been
  // looked at by the reader.
  std::atomic<std::uint64_t> readGeneration_{0};
  ReceiveBuffer received_;

  WaitState wait_;
  ModemLineWatcher lineWatcher_;

  std::mutex errorMutex_;
  LineCounters errorBaseline_;

  int TakeErrors(std::uint32_t& errors);
};
