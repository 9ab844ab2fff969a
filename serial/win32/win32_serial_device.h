#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "serial/serial_device.h"

// A Windows communications device ("\\.\COMn") driven through kernel32 with
// overlapped I/O. Errors are GetLastError() numbers. New line settings are
// read back: a driver that quietly kept something else gives
// ERROR_INVALID_PARAMETER, and the line keeps the state it had.
//
// Threads: one thread waits for events while another reads, queries and
// purges the same handle, as the system allows. Open, the setters and Close
// run while no wait is under way; StopWait and ResetStop may be called from
// any thread at any time.
class Win32SerialDevice final : public SerialDevice {
 public:
  Win32SerialDevice();
  ~Win32SerialDevice() override;
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  int Open(const std::string& port) override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
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

 private:
  // Ends an event wait still under way, so that its record is free again.
  void FinishPendingWait();

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  // Manual reset, created non-signalled: raised once to end a wait.
  HANDLE stopEvent_ = nullptr;
  int stopEventError_ = 0;

  // The one outstanding event wait. Its event is manual-reset and created
  // signalled; the record outlives a wait that the stop signal left pending.
  OVERLAPPED waitRecord_{};
  DWORD waitMask_ = 0;
  bool waitPending_ = false;
};
