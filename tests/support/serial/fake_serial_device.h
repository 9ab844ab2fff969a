#pragma once

// A serial device for tests. It records every call with its arguments, can be
// told to fail any operation with an error number, and is scripted: the
// results that WaitForEvents returns, the bytes that QueueStatus and Read
// serve, the line errors and the modem lines. Calls other than Open, IsOpen,
// Close, StopWait and ResetStop fail with EBADF while the device is not open,
// as a real closed device does.
//
// Thread-safe: an event thread may wait while the test thread scripts and
// reads it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "serial/serial_device.h"

struct FakeDeviceCall {
  std::string name;                  // the operation: "Open", "SetLineParameters", ...
  std::vector<std::uint32_t> args;   // its integer arguments in order (Write: count, timeout)
  std::string text;                  // the port name of Open, the bytes of Write
  DeviceControlBlock block{};        // the record of SetLineParameters
  DeviceTimeouts timeouts{};         // the record of SetTimeouts
};

class FakeSerialDevice : public SerialDevice {
 public:
  // --- SerialDevice
  int Open(const std::string& port) override;
  bool IsOpen() const override;
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

  // --- Recorded calls
  std::vector<FakeDeviceCall> Calls() const;
  // The operation names only, in call order.
  std::vector<std::string> CallNames() const;
  // Calls of one operation.
  std::vector<FakeDeviceCall> CallsOf(const std::string& name) const;
  void ClearCalls();

  // --- Failures: every later call of the operation fails with `error` until
  // cleared; FailOnce fails only the next call.
  void Fail(const std::string& name, int error);
  void FailOnce(const std::string& name, int error);
  void ClearFailures();

  // --- Script
  // Wait results, served in order; with none queued, a wait blocks until
  // StopWait (or until something is queued).
  void QueueEvents(std::uint32_t mask);
  void QueueWaitFailure(int error);
  // Bytes that arrive: appended to the input that QueueStatus counts and Read
  // serves. Receive also queues an EV_RXCHAR wait result.
  void Feed(const std::string& bytes);
  void Receive(const std::string& bytes);
  std::string PendingInput() const;
  // CE_* flags that the next QueueStatus reports (and clears).
  void SetLineErrors(std::uint32_t errors);
  // MS_*_ON bits that ModemStatus reports.
  void SetModemStatus(std::uint32_t status);
  // Waits until at least `count` calls of WaitForEvents have started (or
  // `timeout` passes); true when they have.
  bool AwaitWaits(std::size_t count, std::chrono::milliseconds timeout);
  // True while a WaitForEvents call is blocked with nothing to return.
  bool Waiting() const;

 private:
  struct WaitResult {
    std::uint32_t mask = 0;
    int error = 0;
  };

  // Records the call and returns the error it must give (0 for success).
  int Enter(FakeDeviceCall call, bool needsOpen);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FakeDeviceCall> calls_;
  std::map<std::string, int> failures_;
  std::map<std::string, int> failOnce_;
  bool open_ = false;
  bool stopped_ = false;
  std::deque<WaitResult> waits_;
  std::size_t waitsStarted_ = 0;
  bool blocked_ = false;
  std::string input_;
  std::uint32_t lineErrors_ = 0;
  std::uint32_t modemStatus_ = 0;
};
