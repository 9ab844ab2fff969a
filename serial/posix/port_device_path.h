#pragma once

#include <string>
#include <string_view>

// The file that maps port names to devices: lines "COMn=<target> [format]"
// in the working directory, read at every open. The target is a device path
// or a network address (tcp://HOST:PORT, rfc2217://HOST:PORT); the optional
// line format after it ("7E1", "8N1 rtscts") is parsed by ParseLineFormat.
inline constexpr const char* kPortMapFileName = "porty.ini";

// What one mapping line gives for a port: the target (the first word after
// "="), and the rest of the line, trimmed.
struct PortMapEntry {
  std::string target;
  std::string format;
};

// The first line of the mapping text whose name matches the port (letter
// case and blanks around name and target ignored, CR LF or LF line ends),
// else the default device of COM1..COM16 (/dev/ttyS0..15) without a format;
// an empty target for any other name that is not mapped.
PortMapEntry MappingForPort(std::string_view port, std::string_view mapText);

// The text without the blanks, tabs and CRs that a mapping line may carry
// around its name and target.
std::string_view TrimMapBlanks(std::string_view text);

// The target of MappingForPort alone.
std::string DevicePathForPort(std::string_view port, std::string_view mapText);

// Reads the mapping file into `text`. A missing file gives empty text and 0;
// any other failure gives its errno.
int ReadPortMapFile(const std::string& path, std::string& text);
