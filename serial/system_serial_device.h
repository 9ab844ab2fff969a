#pragma once

#include <memory>

#include "serial/serial_device.h"

// The device of this platform (termios on Linux), unopened.
std::unique_ptr<SerialDevice> CreateSystemSerialDevice();
