#include "serial/system_serial_device.h"

// Placeholder until the termios device exists.
std::unique_ptr<SerialDevice> CreateSystemSerialDevice() { return nullptr; }
