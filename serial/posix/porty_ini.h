#pragma once

// porty.ini, the file that maps port names to devices: lines
// "COMn=<target> [format]" in the working directory. The target is a device
// path or a network address (tcp://HOST:PORT, rfc2217://HOST:PORT); the
// optional line format after it ("7E1", "8N1 rtscts") is parsed by
// ParseLineFormat. Every reader and writer of the file goes through here:
// the device reads it once per open, the diagnosis and the tools read it
// and write one line of it.

#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kPortMapFileName = "porty.ini";

// What one mapping line gives for a port: the target (the first word after
// "="), and the rest of the line, trimmed.
struct PortMapEntry {
  std::string target;
  std::string format;
};

// One line of the file: the name before "=" and its entry, blanks, tabs and
// a CR around them dropped. A line without "=" or with an empty target maps
// nothing.
struct PortMapLine {
  std::string name;
  PortMapEntry entry;
};
std::optional<PortMapLine> ParsePortMapLine(std::string_view line);

// The first line of the mapping text whose name matches the port (letter
// case and blanks around name and target ignored, CR LF or LF line ends, a
// UTF-8 mark at the start skipped), else the default device of COM1..COM16
// (/dev/ttyS0..15) without a format; an empty target for any other name
// that is not mapped.
PortMapEntry MappingForPort(std::string_view port, std::string_view mapText);

// The text without the blanks, tabs and CRs that a mapping line may carry
// around its name and target.
std::string_view TrimMapBlanks(std::string_view text);

// The target of MappingForPort alone.
std::string DevicePathForPort(std::string_view port, std::string_view mapText);

// Reads the mapping file into `text`. A missing file gives empty text and 0;
// any other failure gives its errno.
int ReadPortMapFile(const std::string& path, std::string& text);

// The text of porty.ini with `port` mapped to `target`: the line that counts
// for the port now (the first with its name) gets the new target, anything
// after the old target (its line format) stays; without such a line one is
// appended. Every other line stays as and where it was, a UTF-8 mark
// included. Lines end in CR LF.
std::string PortMapTextWith(std::string_view text, const std::string& port, const std::string& target);

// Rewrites `file` with PortMapTextWith (ReplaceStoredFile); returns 0 or the
// errno of the failed step, the old file then staying as it was.
int WritePortMapLine(const std::string& file, const std::string& port, const std::string& target);

// The text of porty.ini with the line format of `port` set to `format`
// ("7E1", empty: none): the line that counts for the port keeps its target
// and gets the format in place of whatever followed the target; without such
// a line one with the port's default device is appended. Every other line
// stays as PortMapTextWith keeps it.
std::string PortMapTextWithFormat(std::string_view text, const std::string& port, const std::string& format);

// Rewrites `file` with PortMapTextWithFormat, as WritePortMapLine does.
int WritePortMapFormat(const std::string& file, const std::string& port, const std::string& format);
