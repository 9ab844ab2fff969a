#include "tools/waga-ports/ports_report.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "ports/device_facts.h"
#include "ports/port_hint.h"
#include "serial/posix/porty_ini.h"
#include "ports/port_mapping.h"
#include "ports/serial_devices.h"
#include "serial/posix/porty_ini.h"
#include "tools/waga-ports/ports_options.h"

namespace {

std::string Access(const DeviceFacts& d, const UserIdentity& user) {
  if (d.readable && d.writable) return "odczyt i zapis dozwolone";
  const std::string& group = d.groupName;
  std::string text = "brak dostępu dla " + user.name + ": ";
  if (!d.userInGroup && d.group == 0) {
    return text + "urządzenie ma grupę root (powinno mieć dialout; ustawia to udev)";
  }
  if (!d.userInGroup) {
    return text + "nie należy do grupy " + group + " (dodaj: sudo usermod -aG " + group + " " +
           user.name + ", potem zaloguj się ponownie)";
  }
  if (!d.groupInSession) {
    return text + "należy do grupy " + group + ", ale ta sesja jeszcze jej nie ma "
                  "(zaloguj się ponownie)";
  }
  return text + "prawa grupy " + group + " nie pozwalają na odczyt i zapis";
}

std::string DeviceLines(const SerialDeviceEntry& device, const SystemRoots& roots,
                        const UserIdentity& user) {
  const DeviceFacts d = GatherDeviceFacts(device.path, roots, user);
  std::string text = "  " + device.path + "  " + ModeText(d.mode) + " grupa " + d.groupName + "\n";
  text += "      dostęp: " + Access(d, user) + "\n";
  if (!d.holders.empty()) {
    text += "      używa go:";
    for (const DeviceHolder& h : d.holders) {
      text += " " + (h.name.empty() ? std::string("?") : h.name) + " (pid " + std::to_string(h.pid) + ")";
    }
    text += "\n";
  } else if (!d.holdersComplete) {
    text += "      używa go: nikt z widocznych procesów (procesy innych użytkowników: sudo fuser -v " +
            device.path + ")\n";
  } else {
    text += "      używa go: nikt\n";
  }
  for (const LockFile& lock : d.locks) {
    text += "      blokada: " + lock.path +
            (lock.alive ? " (" + lock.name + ", pid " + std::to_string(lock.pid) + ")\n"
                        : " (po procesie, który już nie działa)\n");
  }
  return text;
}

bool NetworkAddress(const std::string& path) {
  return path.starts_with("tcp://") || path.starts_with("rfc2217://");
}

}  // namespace

std::string DeviceReport(const SystemRoots& roots, const UserIdentity& user) {
  const std::vector<SerialDeviceEntry> devices = ListSerialDevices(roots);
  std::string text = "Urządzenia szeregowe:\n";
  if (devices.empty()) return text + "  brak (podłącz przejściówkę USB)\n";
  for (const SerialDeviceEntry& device : devices) {
    if (device.kind == SerialDeviceKind::ById) {
      text += "  " + device.path + " → " + (device.target.empty() ? "?" : device.target) + "\n";
    } else {
      text += DeviceLines(device, roots, user);
    }
  }
  return text;
}

std::string MappingReport(const std::string& dir, const SystemRoots& roots) {
  const std::string file = (std::filesystem::path(dir) / kPortMapFileName).string();
  std::error_code ec;
  std::string text = "Porty według " + file +
                     (std::filesystem::exists(file, ec) ? "" : " (pliku nie ma: same domyślne)") + ":\n";
  for (int n = 1; n <= 16; ++n) {
    const PortMapping mapping = MappingInEffect("COM" + std::to_string(n), dir, roots);
    if (mapping.portMapError != 0) {
      return text + "  nie można odczytać pliku: " + SystemErrorText(mapping.portMapError) + "\n";
    }
    struct stat st {};
    const bool present = NetworkAddress(mapping.path) ||
                         ::stat(Rooted(roots, mapping.path).c_str(), &st) == 0;
    // Default devices that do not exist are of no interest.
    if (!present && !mapping.fromPortMap) continue;
    text += "  " + MappingText(mapping) + (mapping.fromPortMap ? " (porty.ini)" : " (domyślnie)") +
            (present ? "" : " – urządzenia nie ma") + "\n";
  }
  return text;
}

int MapPort(const std::string& dir, const std::string& port, const std::string& path,
            const SystemRoots& roots, std::string& output) {
  struct stat st {};
  if (!NetworkAddress(path)) {
    if (::stat(Rooted(roots, path).c_str(), &st) != 0) {
      output = path + ": " + SystemErrorText(errno) + "; nic nie zapisano.\n";
      return kExitFailed;
    }
    if (!S_ISCHR(st.st_mode)) {
      output = path + " nie jest urządzeniem znakowym (portem szeregowym); nic nie zapisano.\n";
      return kExitFailed;
    }
  }
  const std::string file = (std::filesystem::path(dir) / kPortMapFileName).string();
  if (int error = WritePortMapLine(file, port, path)) {
    output = "Nie można zapisać " + file + ": " + SystemErrorText(error) + ".\n";
    return kExitFailed;
  }
  output = "Zapisano w " + file + ": " + port + "=" + path + "\n";
  for (const SerialDeviceEntry& device : ListSerialDevices(roots)) {
    if (device.kind == SerialDeviceKind::ById && device.target == path) {
      output += "Ta przejściówka ma stałą nazwę " + device.path +
                "; z nią przypisanie przetrwa kolejność podłączania.\n";
    }
  }
  return kExitOk;
}
