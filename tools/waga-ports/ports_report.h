#pragma once

// What waga-ports prints about the devices and the port mapping, and its
// --map command.

#include <string>

#include "ports/system_view.h"

// The serial devices present, each with who may use it and who does.
std::string DeviceReport(const SystemRoots& roots, const UserIdentity& user);

// COM1..COM16 and the device each opens with porty.ini in `dir`.
std::string MappingReport(const std::string& dir, const SystemRoots& roots);

// Writes the port's line into <dir>/porty.ini when `path` is a character
// device (or a network address); `output` gets what to tell the user.
// Returns the exit code.
int MapPort(const std::string& dir, const std::string& port, const std::string& path,
            const SystemRoots& roots, std::string& output);
