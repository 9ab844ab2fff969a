// The hints on Windows: the COM names are the system's own (there is no
// porty.ini and no device file to look at), and the numbers are GetLastError()
// values.
#include "ports/port_hint.h"

// After the records: windows.h has a function named LockFile.
#include <windows.h>

#include "serial/com_errors.h"

namespace {

std::string SystemSaid(std::int32_t systemError) {
  return " (system: " + SystemErrorText(systemError) + ")";
}

const char* const kChoosePort =
    "Podłącz kabel wagi (przejściówkę USB) albo wybierz w Ustawieniach transmisji port, który "
    "Menedżer urządzeń pokazuje w gałęzi \"Porty (COM i LPT)\".";

std::string OpenFailureHint(const PortSituation& s, std::int32_t error) {
  const std::string& port = s.mapping.port;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      if (s.wasOpen) break;
      return "Port " + port + " nie istnieje w tym komputerze" + SystemSaid(error) + ".\n" + kChoosePort;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "Port " + port + " jest zajęty przez inny program" + SystemSaid(error) +
             ".\nZamknij ten program (terminal, program innej wagi); Waga połączy się sama.";
    default:
      break;
  }
  if (IsHangUp(error) || s.wasOpen) {
    return "Port " + port + " zniknął" + SystemSaid(error) +
           ": przejściówka została wyjęta.\nPodłącz ją ponownie; program połączy się sam w ciągu "
           "kilku sekund.";
  }
  return {};
}

}  // namespace

UserIdentity CurrentUser() {
  UserIdentity user;
  user.pid = static_cast<pid_t>(GetCurrentProcessId());
  return user;
}

PortMapping MappingInEffect(const std::string& port, const std::string&, const SystemRoots&) {
  PortMapping mapping;
  mapping.port = port;
  mapping.path = "\\\\.\\" + port;
  return mapping;
}

std::string MappingLine(const PortMapping& mapping) { return MappingText(mapping); }

bool IsHangUp(std::int32_t systemError) {
  return systemError == ERROR_DEVICE_NOT_CONNECTED || systemError == ERROR_GEN_FAILURE ||
         systemError == ERROR_BAD_COMMAND;
}

std::string SystemErrorText(std::int32_t systemError) {
  const char* words = nullptr;
  switch (systemError) {
    case ERROR_FILE_NOT_FOUND: words = "nie ma takiego urządzenia"; break;
    case ERROR_PATH_NOT_FOUND: words = "nie ma takiej ścieżki"; break;
    case ERROR_ACCESS_DENIED: words = "odmowa dostępu"; break;
    case ERROR_INVALID_HANDLE: words = "port nie jest otwarty"; break;
    case ERROR_BAD_COMMAND: words = "urządzenie nie przyjmuje poleceń"; break;
    case ERROR_GEN_FAILURE: words = "urządzenie nie działa"; break;
    case ERROR_SHARING_VIOLATION: words = "port jest używany przez inny proces"; break;
    case ERROR_INVALID_PARAMETER: words = "niepoprawny parametr"; break;
    case ERROR_OPERATION_ABORTED: words = "operacja przerwana"; break;
    case ERROR_DEVICE_NOT_CONNECTED: words = "urządzenie nie jest podłączone"; break;
    default: words = "błąd systemu"; break;
  }
  return std::string(words) + ", błąd " + std::to_string(systemError);
}

PortSituation ObservePort(const std::string& port, const std::string& dir, const LineSettings& line,
                          const SystemRoots& roots, const UserIdentity& user, bool) {
  PortSituation s;
  s.mapping = MappingInEffect(port, dir, roots);
  s.user = user;
  s.line = line;
  return s;
}

std::string FailureHint(const PortSituation& s, const PortProblem& problem) {
  const std::string head = MappingLine(s.mapping) + "\n";
  const std::int32_t error = problem.systemError;
  if (problem.errorCode == ecOpenFailed) {
    const std::string hint = OpenFailureHint(s, error);
    if (!hint.empty()) return head + hint;
  }
  if (problem.errorCode == ecSetStateFailed) {
    return head + "Sterownik portu " + s.mapping.port + " odrzucił ustawienia linii" +
           SystemSaid(error) + ".\nWybierz inną prędkość w Ustawieniach transmisji i taką samą w wadze (np. 9600 bps).";
  }
  if (problem.errorCode != 0 && IsHangUp(error)) return head + OpenFailureHint(s, error);
  std::string text = head + "Błąd portu: " + problem.message;
  if (error >= 0) text += SystemSaid(error);
  return text + ".";
}
