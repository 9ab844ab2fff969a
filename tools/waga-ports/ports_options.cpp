#include "tools/waga-ports/ports_options.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace {

bool Number(const std::string& text, std::uint64_t low, std::uint64_t high, std::uint64_t& value) {
  const char* end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, value);
  return problem == std::errc() && stop == end && value >= low && value <= high;
}

}  // namespace

const char* const kPortsHelp =
    "Użycie:\n"
    "  waga-ports [--dir KATALOG]\n"
    "      urządzenia szeregowe obecne w systemie, kto może ich używać i kto ich używa,\n"
    "      oraz przypisanie portów COM1-COM16 według porty.ini w KATALOGU\n"
    "  waga-ports [--dir KATALOG] --map COMn URZĄDZENIE\n"
    "      zapisuje w porty.ini wiersz COMn=URZĄDZENIE (np. /dev/serial/by-id/...)\n"
    "  waga-ports [--dir KATALOG] --listen COMn [--speed BPS] [--seconds S]\n"
    "      otwiera port tak jak Waga i pokazuje, co przychodzi (tekst i szesnastkowo);\n"
    "      domyślnie prędkość z konfig.ini i 10 sekund\n"
    "  waga-ports [--dir KATALOG] --detect COMn [--apply]\n"
    "      szuka prędkości, formatu linii i protokołu wagi na porcie; z --apply zapisuje\n"
    "      format w porty.ini, protokół w protokol.ini i prędkość w konfig.ini\n"
    "  waga-ports --help | --version\n"
    "KATALOG to katalog roboczy Wagi (domyślnie bieżący).\n"
    "Kody wyjścia: 0 wykonano (--detect: znaleziono wagę), 1 port lub plik nie dał się użyć\n"
    "(--detect: nie znaleziono wagi), 2 błędne argumenty.\n";

std::string PortName(const std::string& text) {
  std::string upper;
  for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::uint64_t number = 0;
  if (upper.size() < 4 || !upper.starts_with("COM") || upper[3] == '0' ||
      !Number(upper.substr(3), 1, 16, number)) {
    return {};
  }
  return upper;
}

std::optional<PortsOptions> ParsePortsOptions(int argc, const char* const* argv, std::string& error) {
  PortsOptions options;
  bool speedGiven = false, secondsGiven = false, applyGiven = false;
  const auto value = [&](int& i, const std::string& name) -> std::optional<std::string> {
    if (i + 1 >= argc) {
      error = "brak wartości po " + name;
      return std::nullopt;
    }
    return std::string(argv[++i]);
  };
  const auto port = [&](const std::string& text) {
    options.port = PortName(text);
    if (options.port.empty()) error = "nieznany port \"" + text + "\" (dozwolone COM1 do COM16)";
    return !options.port.empty();
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.command = PortsCommand::Help;
      return options;
    }
    if (arg == "--version") {
      options.command = PortsCommand::Version;
      return options;
    }
    if (arg == "--dir") {
      const auto dir = value(i, arg);
      if (!dir) return std::nullopt;
      options.dir = *dir;
    } else if (arg == "--apply") {
      applyGiven = true;
    } else if (arg == "--map" || arg == "--listen" || arg == "--detect") {
      if (options.command != PortsCommand::List) {
        error = "--map, --listen i --detect wykluczają się";
        return std::nullopt;
      }
      const auto name = value(i, arg);
      if (!name || !port(*name)) return std::nullopt;
      options.command = arg == "--map"      ? PortsCommand::Map
                        : arg == "--listen" ? PortsCommand::Listen
                                            : PortsCommand::Detect;
      if (options.command == PortsCommand::Map) {
        const auto path = value(i, arg + " " + *name);
        if (!path) return std::nullopt;
        options.path = *path;
      }
    } else if (arg == "--speed" || arg == "--seconds") {
      const auto text = value(i, arg);
      if (!text) return std::nullopt;
      std::uint64_t number = 0;
      const bool speed = arg == "--speed";
      if (!Number(*text, speed ? 50 : 1, speed ? 4000000 : 86400, number)) {
        error = speed ? "niepoprawna prędkość \"" + *text + "\" (50 do 4000000 bps)"
                      : "niepoprawna liczba sekund \"" + *text + "\" (1 do 86400)";
        return std::nullopt;
      }
      if (speed) {
        options.speed = static_cast<std::uint32_t>(number);
        speedGiven = true;
      } else {
        options.seconds = static_cast<int>(number);
        secondsGiven = true;
      }
    } else {
      error = "nieznany argument \"" + arg + "\"";
      return std::nullopt;
    }
  }
  if ((speedGiven || secondsGiven) && options.command != PortsCommand::Listen) {
    error = "--speed i --seconds działają tylko z --listen";
    return std::nullopt;
  }
  if (applyGiven && options.command != PortsCommand::Detect) {
    error = "--apply działa tylko z --detect";
    return std::nullopt;
  }
  options.apply = applyGiven;
  return options;
}
