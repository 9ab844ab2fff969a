#include "acquisition/diagnosis/port_mapping.h"

#include <filesystem>

#include "serial/posix/port_device_path.h"

namespace fs = std::filesystem;

PortMapping MappingInEffect(const std::string& port, const std::string& dir,
                            const SystemRoots& roots) {
  PortMapping mapping;
  mapping.port = port;
  mapping.portMapFile = dir.empty() ? kPortMapFileName : (fs::path(dir) / kPortMapFileName).string();
  std::string mapText;
  mapping.portMapError = ReadPortMapFile(mapping.portMapFile, mapText);
  if (mapping.portMapError != 0) return mapping;
  mapping.path = DevicePathForPort(port, mapText);
  mapping.fromPortMap = mapping.path != DevicePathForPort(port, std::string());
  if (mapping.path.empty()) return mapping;
  mapping.target = LinkTarget(roots, mapping.path);
  return mapping;
}

std::string MappingText(const PortMapping& mapping) {
  std::string text = mapping.port + " → " + (mapping.path.empty() ? "?" : mapping.path);
  if (!mapping.target.empty() && mapping.target != mapping.path) text += " → " + mapping.target;
  return text;
}
