#pragma once

// The serial devices present: adapters by their stable names, USB and ACM
// devices, and the board's UARTs that really exist.

#include <string>
#include <vector>

#include "ports/system_view.h"

enum class SerialDeviceKind { ById, Usb, Acm, Uart };

struct SerialDeviceEntry {
  SerialDeviceKind kind = SerialDeviceKind::Usb;
  std::string path;    // /dev/serial/by-id/..., /dev/ttyUSB0, /dev/ttyS0
  std::string target;  // where a by-id link leads
};

// By-id links first, then ttyUSB, ttyACM and ttyS devices, each in number
// order. A ttyS device counts when the kernel found a UART behind it.
std::vector<SerialDeviceEntry> ListSerialDevices(const SystemRoots& roots = {});

// The path to suggest for a mapping line: the first by-id link, else the
// first USB or ACM device; empty when there is none.
std::string SuggestedDevice(const std::vector<SerialDeviceEntry>& devices);
