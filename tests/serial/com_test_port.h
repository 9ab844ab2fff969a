#pragma once

// A component on a fake device, for the serial component tests.

#include <memory>

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
