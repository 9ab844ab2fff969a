#include "serial/system_serial_device.h"

#include "serial/posix/mapped_serial_device.h"

std::unique_ptr<SerialDevice> CreateSystemSerialDevice() {
  return std::make_unique<MappedSerialDevice>();
}
