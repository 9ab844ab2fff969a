#pragma once

#include <string>
#include <string_view>

// The file that maps port names to device files: lines "COMn=/device/path"
// in the working directory, read at every open.
inline constexpr const char* kPortMapFileName = "porty.ini";

// The device file that a port name ("COM1".."COM16") stands for: the first
// line of the mapping text whose name matches (letter case and blanks around
// name and path ignored, CR LF or LF line ends), else /dev/ttyS(n-1) for
// "COMn". Empty when the name is not of the form COMn and is not mapped.
std::string DevicePathForPort(std::string_view port, std::string_view mapText);

// Reads the mapping file into `text`. A missing file gives empty text and 0;
// any other failure gives its errno.
int ReadPortMapFile(const std::string& path, std::string& text);
