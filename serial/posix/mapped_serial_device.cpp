#include "serial/posix/mapped_serial_device.h"

#include <cerrno>

#include "serial/net/net_serial_device.h"
#include "serial/net/net_target.h"
#include "serial/posix/posix_serial_device.h"

MappedSerialDevice::MappedSerialDevice(std::string portMapFile)
    : portMapFile_(std::move(portMapFile)) {}

MappedSerialDevice::~MappedSerialDevice() = default;

int MappedSerialDevice::Refuse(const std::string& port, const std::string& why) {
  detail_ = std::string(kPortMapFileName) + ", " + port + ": " + why;
  return EINVAL;
}

int MappedSerialDevice::Open(const std::string& port) {
  if (IsOpen()) return EBUSY;
  detail_.clear();
  std::string mapText;
  if (int error = ReadPortMapFile(portMapFile_, mapText)) return error;
  const PortMapEntry mapping = MappingForPort(port, mapText);
  PortLineFormat format;
  std::string why;
  if (override_) {
    format = *override_;
  } else if (!ParseLineFormat(mapping.format, format, why)) {
    return Refuse(port, why);
  }

  // The device of the last open is kept while the target stays the same, so
  // that a slow host name lookup it started is waited for again.
  if (!device_ || mapping.target != target_) {
    std::unique_ptr<SerialDevice> device;
    PosixSerialDevice* terminal = nullptr;
    if (IsNetTarget(mapping.target)) {
      NetTarget net;
      if (!ParseNetTarget(mapping.target, net, why)) return Refuse(port, why);
      device = std::make_unique<NetSerialDevice>(std::move(net));
    } else {
      auto posix = std::make_unique<PosixSerialDevice>(portMapFile_);
      terminal = posix.get();
      device = std::move(posix);
    }
    std::lock_guard lock(stopMutex_);
    if (stopRaised_) device->StopWait();
    device_ = std::move(device);
    terminal_ = terminal;
    target_ = mapping.target;
  }
  format_ = format;
  // The mapping has been read once for this open; the terminal device opens
  // its target without reading it again.
  return terminal_ ? terminal_->OpenDevice(target_) : device_->Open(port);
}

std::string MappedSerialDevice::OpenFailureDetail() const {
  if (!detail_.empty() || !device_) return detail_;
  return device_->OpenFailureDetail();
}

void MappedSerialDevice::Close() {
  if (device_) device_->Close();
}

int MappedSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t output) {
  return device_ ? device_->SetQueueSizes(input, output) : EBADF;
}

int MappedSerialDevice::SetLineParameters(const DeviceControlBlock& block) {
  if (!device_) return EBADF;
  DeviceControlBlock line = block;
  ApplyLineFormat(format_, line);
  return device_->SetLineParameters(line);
}

int MappedSerialDevice::SetTimeouts(const DeviceTimeouts& timeouts) {
  return device_ ? device_->SetTimeouts(timeouts) : EBADF;
}

int MappedSerialDevice::SetEventMask(std::uint32_t mask) {
  return device_ ? device_->SetEventMask(mask) : EBADF;
}

WaitOutcome MappedSerialDevice::WaitForEvents(std::uint32_t& mask, int& error) {
  if (!device_) {
    mask = 0;
    error = EBADF;
    return WaitOutcome::Failed;
  }
  return device_->WaitForEvents(mask, error);
}

void MappedSerialDevice::StopWait() {
  std::lock_guard lock(stopMutex_);
  stopRaised_ = true;
  if (device_) device_->StopWait();
}

void MappedSerialDevice::ResetStop() {
  std::lock_guard lock(stopMutex_);
  stopRaised_ = false;
  if (device_) device_->ResetStop();
}

int MappedSerialDevice::QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) {
  inputCount = 0;
  errors = 0;
  return device_ ? device_->QueueStatus(inputCount, errors) : EBADF;
}

int MappedSerialDevice::ClearErrors(std::uint32_t& errors) {
  errors = 0;
  return device_ ? device_->ClearErrors(errors) : EBADF;
}

int MappedSerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                              std::uint32_t& written) {
  written = 0;
  return device_ ? device_->Write(buffer, count, timeoutMs, written) : EBADF;
}

int MappedSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  bytesRead = 0;
  return device_ ? device_->Read(buffer, count, bytesRead) : EBADF;
}

int MappedSerialDevice::ModemStatus(std::uint32_t& status) {
  status = 0;
  return device_ ? device_->ModemStatus(status) : EBADF;
}

int MappedSerialDevice::Purge(std::uint32_t flags) {
  return device_ ? device_->Purge(flags) : EBADF;
}
