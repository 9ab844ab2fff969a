#pragma once

// A component on a fake device, for the serial component tests.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "serial/com_port.h"
#include "tests/support/serial/fake_serial_device.h"

struct PortOnFake {
  PortOnFake() {
    auto owned = std::make_unique<FakeSerialDevice>();
    device = owned.get();
    port = std::make_unique<TComPort>("ComPortDriver_in", std::move(owned));
  }
  FakeSerialDevice* device;
  std::unique_ptr<TComPort> port;
};

// Set once on any thread, waited for on another. Set() notifies under the
// lock, so the waiter may destroy it as soon as its wait returns.
class TestSignal {
 public:
  void Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
  }
  bool IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
  }
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return set_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};
