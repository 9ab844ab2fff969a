#include "ports/port_mapping.h"

#include <filesystem>

#include "text/win1250.h"
#include "serial/line_format.h"
#include "serial/posix/porty_ini.h"
#include "serial/net/net_target.h"

namespace fs = std::filesystem;

PortMapping MappingInEffect(const std::string& port, const std::string& dir,
                            const SystemRoots& roots) {
  PortMapping mapping;
  mapping.port = port;
  mapping.portMapFile = dir.empty() ? kPortMapFileName : (fs::path(dir) / kPortMapFileName).string();
  std::string mapText;
  mapping.portMapError = ReadPortMapFile(mapping.portMapFile, mapText);
  if (mapping.portMapError != 0) return mapping;
  const PortMapEntry entry = MappingForPort(port, mapText);
  mapping.path = entry.target;
  PortLineFormat format;
  std::string refusal;
  if (!ParseLineFormat(entry.format, format, refusal)) mapping.formatError = std::string(kPortMapFileName) + ", " + port + ": " + Cp1250ToUtf8(refusal);
  mapping.fromPortMap = mapping.path != DevicePathForPort(port, std::string());
  if (mapping.path.empty() || IsNetTarget(mapping.path)) return mapping;
  mapping.target = LinkTarget(roots, mapping.path);
  return mapping;
}
