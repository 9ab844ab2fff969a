#include "ports/serial_devices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// "ttyUSB10" after "ttyUSB9".
bool NumberOrder(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::vector<std::string> Numbered(const std::string& dir, std::string_view prefix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator entry(dir, ec), end; !ec && entry != end; entry.increment(ec)) {
    const std::string name = entry->path().filename().string();
    if (name.size() > prefix.size() && name.starts_with(prefix) &&
        name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end(), NumberOrder);
  return names;
}

bool UartPresent(const SystemRoots& roots, const std::string& name) {
  std::ifstream in(roots.sys + "/class/tty/" + name + "/type");
  int type = 0;
  return (in >> type) && type != 0;
}

}  // namespace

std::vector<SerialDeviceEntry> ListSerialDevices(const SystemRoots& roots) {
  std::vector<SerialDeviceEntry> devices;
  std::vector<std::string> links;
  std::error_code ec;
  for (fs::directory_iterator entry(roots.dev + "/serial/by-id", ec), end; !ec && entry != end;
       entry.increment(ec)) {
    links.push_back(entry->path().filename().string());
  }
  std::sort(links.begin(), links.end());
  for (const std::string& name : links) {
    const std::string path = "/dev/serial/by-id/" + name;
    devices.push_back({SerialDeviceKind::ById, path, LinkTarget(roots, path)});
  }
  for (const auto& [prefix, kind] : {std::pair{"ttyUSB", SerialDeviceKind::Usb},
                                     std::pair{"ttyACM", SerialDeviceKind::Acm},
                                     std::pair{"ttyS", SerialDeviceKind::Uart}}) {
    for (const std::string& name : Numbered(roots.dev, prefix)) {
      if (kind == SerialDeviceKind::Uart && !UartPresent(roots, name)) continue;
      devices.push_back({kind, "/dev/" + name, {}});
    }
  }
  return devices;
}

std::string SuggestedDevice(const std::vector<SerialDeviceEntry>& devices) {
  for (SerialDeviceKind kind : {SerialDeviceKind::ById, SerialDeviceKind::Usb, SerialDeviceKind::Acm}) {
    for (const SerialDeviceEntry& device : devices) {
      if (device.kind == kind) return device.path;
    }
  }
  return {};
}
