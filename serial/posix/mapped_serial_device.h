#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "serial/line_format.h"
#include "serial/posix/porty_ini.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/serial_device.h"

// The device a port name stands for, chosen at every open by its porty.ini
// line: a terminal device, or a serial server on the network (tcp://,
// rfc2217://). A line format given on that line replaces data bits, parity,
// stop bits and flow control of every line setting the component applies;
// the rate stays the component's. A line that cannot be used is refused at
// open with a sentence that says why.
class MappedSerialDevice final : public SerialDevice {
 public:
  explicit MappedSerialDevice(std::string portMapFile = kPortMapFileName);
  ~MappedSerialDevice() override;

  // A line format that stands in place of the one of the porty.ini line at
  // the next opens, for trying formats on a scale whose format is not known;
  // nothing brings back porty.ini's.
  void OverrideLineFormat(const std::optional<PortLineFormat>& format) { override_ = format; }

  int Open(const std::string& port) override;
  bool IsOpen() const override { return device_ && device_->IsOpen(); }
  std::string OpenFailureDetail() const override;
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

 private:
  int Refuse(const std::string& port, const std::string& why);

  const std::string portMapFile_;
  // The device of the last open; replaced only by Open, which runs while no
  // wait is under way. The lock covers the stop signal, which may be raised
  // from any thread at any time.
  std::unique_ptr<SerialDevice> device_;
  PosixSerialDevice* terminal_ = nullptr;  // device_ when it is a terminal device
  std::string target_;
  PortLineFormat format_;
  std::optional<PortLineFormat> override_;
  std::string detail_;
  std::mutex stopMutex_;
  bool stopRaised_ = false;
};
