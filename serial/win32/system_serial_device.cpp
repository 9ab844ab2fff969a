#include "serial/system_serial_device.h"

#include "serial/win32/win32_serial_device.h"

std::unique_ptr<SerialDevice> CreateSystemSerialDevice() {
  return std::make_unique<Win32SerialDevice>();
}
