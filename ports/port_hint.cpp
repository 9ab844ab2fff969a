#include "ports/port_hint.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "serial/com_errors.h"
#include "serial/com_texts.h"
#include "serial/net/net_target.h"
#include "serial/posix/line_parameters.h"

namespace {

const char* const kIndent = "    ";

std::string SystemSaid(std::int32_t systemError) {
  return " (system: " + SystemErrorText(systemError) + ")";
}

std::string PortMapLine(const PortSituation& s) {
  const std::string suggested = SuggestedDevice(s.present);
  return kIndent + s.mapping.port + "=" + (suggested.empty() ? "/dev/ttyUSB0" : suggested) + "\n";
}

std::string PresentDevices(const PortSituation& s) {
  std::string list;
  for (const SerialDeviceEntry& device : s.present) {
    if (device.kind == SerialDeviceKind::ById) continue;
    list += (list.empty() ? "" : ", ") + device.path;
  }
  if (list.empty()) return "Nie widać żadnego urządzenia szeregowego.";
  return "Obecne urządzenia szeregowe: " + list + " (lista: waga-ports).";
}

std::string MapAdvice(const PortSituation& s) {
  return "Podłącz kabel wagi (przejściówkę USB) albo przypisz port " + s.mapping.port +
         " w pliku porty.ini w katalogu programu, wierszem:\n" + PortMapLine(s) + PresentDevices(s);
}

std::string GoneHint(const PortSituation& s, std::int32_t systemError) {
  return "Urządzenie " + s.mapping.path + " zniknęło" + SystemSaid(systemError) +
         ": przejściówka została wyjęta albo druga strona zakończyła połączenie.\n"
         "Podłącz ją ponownie; program połączy się sam w ciągu kilku sekund.";
}

std::string MissingHint(const PortSituation& s, std::int32_t systemError) {
  if (s.wasOpen) return GoneHint(s, systemError);
  if (s.mapping.path.empty()) {
    return "Nazwa " + s.mapping.port + " nie wskazuje żadnego urządzenia.\n" + MapAdvice(s);
  }
  std::string text = "Urządzenie " + s.mapping.path + " nie istnieje" + SystemSaid(systemError) + ".\n";
  if (s.mapping.path.starts_with("/dev/serial/by-id/")) {
    text += "Przejściówka o tej nazwie nie jest podłączona. ";
  }
  return text + MapAdvice(s);
}

std::string AccessHint(const PortSituation& s, std::int32_t systemError) {
  const DeviceFacts& d = s.device;
  const std::string shown = d.target.empty() ? s.mapping.path : d.target;
  std::string text = "Brak dostępu do " + shown + SystemSaid(systemError) + ".\n";
  if (!d.exists) return text;
  const std::string& user = s.user.name;
  const std::string& group = d.groupName;
  text += "Urządzenie należy do grupy " + group + " (prawa " + ModeText(d.mode) + ").\n";
  if (!d.userInGroup && d.group == 0) {
    return text + "Do grupy root zwykły użytkownik nie powinien należeć. Urządzenie powinno należeć "
                  "do grupy dialout (tak ustawia je udev); na próbę wystarczy:\n" +
           kIndent + "sudo chmod o+rw " + shown;
  }
  if (!d.userInGroup) {
    return text + "Użytkownik " + user + " nie należy do grupy " + group + ". Dodaj go poleceniem:\n" +
           kIndent + "sudo usermod -aG " + group + " " + user + "\n" +
           "a potem wyloguj się i zaloguj ponownie: nowa grupa działa dopiero w nowej sesji.";
  }
  if (!d.groupInSession) {
    return text + "Użytkownik " + user + " należy już do grupy " + group +
           ", ale ta sesja jeszcze jej nie ma: wyloguj się i zaloguj ponownie "
           "(albo uruchom komputer ponownie).";
  }
  if ((d.mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
    return text + "Użytkownik " + user + " jest w grupie " + group +
           ", ale grupa nie ma prawa odczytu i zapisu. Przywróć je poleceniem:\n" + kIndent +
           "sudo chmod g+rw " + shown + "\n(na stałe ustawia je reguła udev).";
  }
  return text + "Prawa wyglądają na poprawne; dostępu może odmawiać system zabezpieczeń "
                "(AppArmor, SELinux).";
}

std::string BusyHint(const PortSituation& s, std::int32_t systemError) {
  const DeviceFacts& d = s.device;
  std::string text =
      "Port " + s.mapping.path + " jest zajęty przez inny program" + SystemSaid(systemError) + ".\n";
  bool modemManager = false;
  if (!d.holders.empty()) {
    text += "Trzyma go otwartym: ";
    for (std::size_t i = 0; i < d.holders.size(); ++i) {
      const DeviceHolder& h = d.holders[i];
      text += (i ? ", " : "") + (h.name.empty() ? std::string("proces") : h.name) +
              " (pid " + std::to_string(h.pid) + ")";
      modemManager = modemManager || h.name == "ModemManager";
    }
    text += ". Zamknij ten program; Waga połączy się sama.\n";
  } else if (!d.holdersComplete) {
    text += "Nie udało się ustalić, który to program (procesy innych użytkowników są niewidoczne). "
            "Sprawdź poleceniem:\n" + std::string(kIndent) + "sudo fuser -v " + s.mapping.path + "\n";
  } else {
    text += "Żaden proces nie ma go już otwartego; spróbuj za chwilę.\n";
  }
  for (const LockFile& lock : d.locks) {
    if (lock.alive) {
      text += "Plik blokady " + lock.path + " założył " +
              (lock.name.empty() ? std::string("proces") : lock.name) + " (pid " +
              std::to_string(lock.pid) + ").\n";
    } else {
      text += "Plik blokady " + lock.path + " został po procesie, który już nie działa; można go usunąć.\n";
    }
  }
  if (modemManager || d.holders.empty()) {
    text += "Nowe przejściówki bada zaraz po podłączeniu ModemManager; wyłącza się go poleceniem:\n" +
            std::string(kIndent) + "sudo systemctl stop ModemManager";
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string NotSerialHint(const PortSituation& s, std::int32_t systemError) {
  return s.mapping.path + " nie jest portem szeregowym" + SystemSaid(systemError) + ".\n" + MapAdvice(s);
}

std::string NoUartHint(const PortSituation& s, std::int32_t systemError) {
  return "Urządzenie " + s.mapping.path + " istnieje, ale nie ma za nim portu szeregowego" +
         SystemSaid(systemError) + ": w tym komputerze nie ma takiego złącza RS-232.\n" + MapAdvice(s);
}

std::string FormatText(const LineSettings& line) {
  static constexpr const char* kParities[] = {"bez parzystości", "parzystość nieparzysta",
                                              "parzystość parzysta", "parzystość mark",
                                              "parzystość space"};
  static constexpr const char* kStopBits[] = {"1 bit", "1,5 bitu", "2 bity"};
  const PortLineFormat& f = line.format;
  return std::to_string(line.speed) + " bps, " + std::to_string(f.dataBits) + " bitów danych, " +
         (f.parity < 5 ? kParities[f.parity] : kParities[0]) + ", " +
         (f.stopBits < 3 ? kStopBits[f.stopBits] : kStopBits[2]) + " stopu";
}

std::string SettingsHint(const PortSituation& s, std::int32_t systemError) {
  std::string text = "Sterownik urządzenia " + s.mapping.path + " odrzucił ustawienia linii" +
                     SystemSaid(systemError) + ".\n";
  const LineSettings& line = s.line;
  if (!IsKernelStandardRate(line.speed)) {
    return text + "Prędkości " + std::to_string(line.speed) +
           " bps ta przejściówka nie potrafi ustawić. Wybierz inną prędkość w Ustawieniach "
           "transmisji i taką samą w wadze (np. 9600 bps).";
  }
  if (line.format.dataBits < 7) {
    return text + "Ta przejściówka nie obsługuje " + std::to_string(line.format.dataBits) +
           " bitów danych; ustaw w wadze 7 albo 8 bitów danych.";
  }
  if (line.format.parity >= 3) {  // mark or space
    return text + "Ta przejściówka nie obsługuje parzystości mark ani space; ustaw w wadze "
                  "parzystość brak, parzystą albo nieparzystą.";
  }
  return text + "Ustawienia: " + FormatText(line) + ".";
}

}  // namespace

bool IsHangUp(std::int32_t systemError) {
  return systemError == EIO || systemError == ENXIO || systemError == ENODEV;
}

std::string SystemErrorText(std::int32_t systemError) {
  const char* words = nullptr;
  switch (systemError) {
    case ENOENT: words = "nie ma takiego pliku ani urządzenia"; break;
    case EACCES: words = "brak dostępu"; break;
    case EPERM: words = "operacja niedozwolona"; break;
    case EBUSY: words = "urządzenie zajęte"; break;
    case EIO: words = "błąd wejścia/wyjścia"; break;
    case ENXIO: words = "nie ma takiego urządzenia ani adresu"; break;
    case ENODEV: words = "nie ma takiego urządzenia"; break;
    case EINVAL: words = "niepoprawny argument"; break;
    case ENOTTY: words = "to nie jest terminal"; break;
    case EISDIR: words = "to jest katalog"; break;
    case ENOTDIR: words = "to nie jest katalog"; break;
    case ELOOP: words = "za dużo dowiązań symbolicznych"; break;
    default: break;
  }
  const std::string number = "błąd " + std::to_string(systemError);
  if (words) return std::string(words) + ", " + number;
  return std::string(std::strerror(systemError)) + ", " + number;
}

std::string MappingLine(const PortMapping& mapping) {
  return MappingText(mapping) + (mapping.fromPortMap ? " (porty.ini)" : " (domyślnie; porty.ini go nie zmienia)");
}

PortSituation ObservePort(const std::string& port, const std::string& dir, const LineSettings& line,
                          const SystemRoots& roots, const UserIdentity& user, bool findHolders) {
  PortSituation s;
  s.mapping = MappingInEffect(port, dir, roots);
  s.user = user;
  s.line = line;
  s.present = ListSerialDevices(roots);
  if (!s.mapping.path.empty() && !IsNetTarget(s.mapping.path)) s.device = GatherDeviceFacts(s.mapping.path, roots, user, findHolders);
  return s;
}

std::string FailureHint(const PortSituation& s, const PortProblem& problem) {
  const std::string head = MappingLine(s.mapping) + "\n";
  if (s.mapping.portMapError != 0) {
    return s.mapping.port + " → ?\nNie można odczytać pliku " + s.mapping.portMapFile +
           SystemSaid(s.mapping.portMapError) +
           ", więc nie wiadomo, które urządzenie otworzyć.\nPopraw prawa pliku, np. poleceniem:\n" +
           kIndent + "chmod a+r " + s.mapping.portMapFile;
  }
  if (!s.mapping.formatError.empty()) return head + s.mapping.formatError + ".";
  const std::int32_t error = problem.systemError;
  if (problem.errorCode == ecOpenFailed && !IsNetTarget(s.mapping.path)) {
    switch (error) {
      case ENOENT: return head + MissingHint(s, error);
      case EACCES:
      case EPERM: return head + AccessHint(s, error);
      case EBUSY: return head + BusyHint(s, error);
      case ENOTTY:
      case EISDIR:
      case ENOTDIR:
      case EINVAL: return head + NotSerialHint(s, error);
      default: break;
    }
    if (IsHangUp(error)) {
      if (!s.device.exists) return head + MissingHint(s, error);
      if (s.mapping.path.starts_with("/dev/ttyS") && !s.wasOpen) return head + NoUartHint(s, error);
      return head + GoneHint(s, error);
    }
  }
  if (problem.errorCode == ecSetStateFailed) return head + SettingsHint(s, error);
  if (problem.errorCode != 0 && IsHangUp(error)) return head + GoneHint(s, error);
  std::string text = head + "Błąd portu: " + problem.message;
  if (error >= 0) text += SystemSaid(error);
  return text + ".";
}
