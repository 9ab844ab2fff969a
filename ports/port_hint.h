#pragma once

// The Polish texts (UTF-8) that explain the state of a port: which device
// its name opens and, when it does not work, what the system said and what
// the user can do about it.

#include <cstdint>
#include <string>
#include <vector>

#include "ports/device_facts.h"
#include "ports/port_mapping.h"
#include "ports/serial_devices.h"
#include "ports/system_view.h"
#include "serial/baud_rate.h"
#include "serial/line_format.h"
#include "serial/serial_device.h"

// A failure of the serial component.
struct PortProblem {
  std::int32_t errorCode = 0;     // EComPort's code; 0 for any other failure
  std::int32_t systemError = -1;  // errno; -1 when the failure came from no system call
  std::string message;            // the exception's text
};

// The line settings the port is opened with: its speed and its line format
// (data bits, parity and stop bits coded as in the device control block).
struct LineSettings {
  std::uint32_t speed = 1200;
  PortLineFormat format;
};

// The line settings a device control block asks for.
LineSettings LineSettingsOf(const DeviceControlBlock& block);
// A speed setting at 8 data bits, no parity, one stop bit.
LineSettings LineSettingsOf(TBaudRate rate);

// What is known about the port: its mapping, the device it names, the user
// and the serial devices present.
struct PortSituation {
  PortMapping mapping;
  DeviceFacts device;
  UserIdentity user;
  std::vector<SerialDeviceEntry> present;
  LineSettings line;
  // The port was open on this device before this failure.
  bool wasOpen = false;
};

// Looks at the system for `port` mapped by porty.ini in `dir`. Finding the
// processes that hold the device reads every process's open files: only for
// a busy device.
PortSituation ObservePort(const std::string& port, const std::string& dir,
                          const LineSettings& line, const SystemRoots& roots,
                          const UserIdentity& user, bool findHolders);

// The port could not be opened or failed while open.
std::string FailureHint(const PortSituation& situation, const PortProblem& problem);

// The port is open; `silentSeconds` > 0 when the scale has sent nothing for
// that long.
std::string ConnectedHint(const PortMapping& mapping, const LineSettings& line, int silentSeconds);

// The first line of every hint: "COM2 → /dev/ttyUSB0 (porty.ini)".
std::string MappingLine(const PortMapping& mapping);

// A system error that means the device went away or the line hung up.
bool IsHangUp(std::int32_t systemError);

// The system's error in words: "brak dostępu (błąd 13)".
std::string SystemErrorText(std::int32_t systemError);
