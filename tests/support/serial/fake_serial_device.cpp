#include "tests/support/serial/fake_serial_device.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

int FakeSerialDevice::Enter(FakeDeviceCall call, bool needsOpen) {
  // Called with the mutex held.
  const std::string name = call.name;
  calls_.push_back(std::move(call));
  if (auto once = failOnce_.find(name); once != failOnce_.end()) {
    const int error = once->second;
    failOnce_.erase(once);
    return error;
  }
  if (auto always = failures_.find(name); always != failures_.end()) return always->second;
  if (needsOpen && !open_) return EBADF;
  return 0;
}

int FakeSerialDevice::Open(const std::string& port) {
  std::lock_guard lock(mutex_);
  FakeDeviceCall call{"Open", {}, port, {}, {}};
  if (open_) {
    calls_.push_back(std::move(call));
    return EBUSY;
  }
  const int error = Enter(std::move(call), false);
  if (error == 0) open_ = true;
  return error;
}

bool FakeSerialDevice::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

int FakeSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t output) {
  std::lock_guard lock(mutex_);
  return Enter({"SetQueueSizes", {input, output}, {}, {}, {}}, true);
}

int FakeSerialDevice::SetLineParameters(const DeviceControlBlock& block) {
  std::lock_guard lock(mutex_);
  return Enter({"SetLineParameters", {}, {}, block, {}}, true);
}

int FakeSerialDevice::SetTimeouts(const DeviceTimeouts& timeouts) {
  std::lock_guard lock(mutex_);
  return Enter({"SetTimeouts", {}, {}, {}, timeouts}, true);
}

int FakeSerialDevice::SetEventMask(std::uint32_t mask) {
  std::lock_guard lock(mutex_);
  return Enter({"SetEventMask", {mask}, {}, {}, {}}, true);
}

WaitOutcome FakeSerialDevice::WaitForEvents(std::uint32_t& mask, int& error) {
  std::unique_lock lock(mutex_);
  error = Enter({"WaitForEvents", {}, {}, {}, {}}, true);
  ++waitsStarted_;
  changed_.notify_all();
  if (error != 0) return WaitOutcome::Failed;

  blocked_ = waits_.empty() && !stopped_;
  if (blocked_) changed_.notify_all();
  changed_.wait(lock, [this] { return stopped_ || !waits_.empty(); });
  blocked_ = false;
  if (stopped_) return WaitOutcome::Stopped;

  const WaitResult result = waits_.front();
  waits_.pop_front();
  if (result.error != 0) {
    error = result.error;
    return WaitOutcome::Failed;
  }
  mask = result.mask;
  return WaitOutcome::Events;
}

void FakeSerialDevice::StopWait() {
  std::lock_guard lock(mutex_);
  calls_.push_back({"StopWait", {}, {}, {}, {}});
  stopped_ = true;
  changed_.notify_all();
}

void FakeSerialDevice::ResetStop() {
  std::lock_guard lock(mutex_);
  calls_.push_back({"ResetStop", {}, {}, {}, {}});
  stopped_ = false;
}

int FakeSerialDevice::QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) {
  std::lock_guard lock(mutex_);
  const int error = Enter({"QueueStatus", {}, {}, {}, {}}, true);
  if (error != 0) return error;
  inputCount = static_cast<std::uint32_t>(input_.size());
  errors = std::exchange(lineErrors_, 0);
  return 0;
}

int FakeSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  std::lock_guard lock(mutex_);
  const int error = Enter({"Read", {count}, {}, {}, {}}, true);
  if (error != 0) return error;
  bytesRead = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(input_.size()));
  if (bytesRead > 0) std::memcpy(buffer, input_.data(), bytesRead);
  input_.erase(0, bytesRead);
  return 0;
}

int FakeSerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                            std::uint32_t& written) {
  std::lock_guard lock(mutex_);
  written = 0;
  FakeDeviceCall call{"Write", {count, timeoutMs}, std::string(buffer, count), {}, {}};
  const int error = Enter(std::move(call), true);
  if (error == 0) written = count;
  return error;
}

int FakeSerialDevice::ModemStatus(std::uint32_t& status) {
  std::lock_guard lock(mutex_);
  const int error = Enter({"ModemStatus", {}, {}, {}, {}}, true);
  if (error == 0) status = modemStatus_;
  return error;
}

int FakeSerialDevice::Purge(std::uint32_t flags) {
  std::lock_guard lock(mutex_);
  return Enter({"Purge", {flags}, {}, {}, {}}, true);
}

void FakeSerialDevice::Close() {
  std::lock_guard lock(mutex_);
  calls_.push_back({"Close", {}, {}, {}, {}});
  open_ = false;
}

std::vector<FakeDeviceCall> FakeSerialDevice::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> FakeSerialDevice::CallNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const FakeDeviceCall& call : calls_) names.push_back(call.name);
  return names;
}

std::vector<FakeDeviceCall> FakeSerialDevice::CallsOf(const std::string& name) const {
  std::lock_guard lock(mutex_);
  std::vector<FakeDeviceCall> matching;
  for (const FakeDeviceCall& call : calls_) {
    if (call.name == name) matching.push_back(call);
  }
  return matching;
}

void FakeSerialDevice::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void FakeSerialDevice::Fail(const std::string& name, int error) {
  std::lock_guard lock(mutex_);
  failures_[name] = error;
}

void FakeSerialDevice::FailOnce(const std::string& name, int error) {
  std::lock_guard lock(mutex_);
  failOnce_[name] = error;
}

void FakeSerialDevice::ClearFailures() {
  std::lock_guard lock(mutex_);
  failures_.clear();
  failOnce_.clear();
}

void FakeSerialDevice::QueueEvents(std::uint32_t mask) {
  std::lock_guard lock(mutex_);
  waits_.push_back({mask, 0});
  changed_.notify_all();
}

void FakeSerialDevice::QueueWaitFailure(int error) {
  std::lock_guard lock(mutex_);
  waits_.push_back({0, error});
  changed_.notify_all();
}

void FakeSerialDevice::Feed(const std::string& bytes) {
  std::lock_guard lock(mutex_);
  input_ += bytes;
}

void FakeSerialDevice::Receive(const std::string& bytes) {
  std::lock_guard lock(mutex_);
  input_ += bytes;
  waits_.push_back({ev::RXCHAR, 0});
  changed_.notify_all();
}

std::string FakeSerialDevice::PendingInput() const {
  std::lock_guard lock(mutex_);
  return input_;
}

void FakeSerialDevice::SetLineErrors(std::uint32_t errors) {
  std::lock_guard lock(mutex_);
  lineErrors_ = errors;
}

void FakeSerialDevice::SetModemStatus(std::uint32_t status) {
  std::lock_guard lock(mutex_);
  modemStatus_ = status;
}

bool FakeSerialDevice::AwaitWaits(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return waitsStarted_ >= count; });
}

bool FakeSerialDevice::Waiting() const {
  std::lock_guard lock(mutex_);
  return blocked_;
}
