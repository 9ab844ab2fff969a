#pragma once

// Which device a port name opens, as the serial component will see it.

#include <string>

#include "ports/system_view.h"

struct PortMapping {
  std::string port;          // "COM2"
  std::string path;          // the device file; empty when the name maps to none
  bool fromPortMap = false;  // named by a line of porty.ini (else the default device)
  std::string portMapFile;   // the porty.ini looked at
  int portMapError = 0;      // errno of an existing porty.ini that could not be read
  std::string target;        // where a link named by the mapping leads; empty otherwise
  std::string formatError;   // why the line format after the path was refused (UTF-8); empty if it was not
};

// The mapping for `port` with porty.ini in `dir` (empty: the working
// directory).
PortMapping MappingInEffect(const std::string& port, const std::string& dir,
                            const SystemRoots& roots = {});

// "COM2 → /dev/serial/by-id/usb-… → /dev/ttyUSB0" (UTF-8).
std::string MappingText(const PortMapping& mapping);
