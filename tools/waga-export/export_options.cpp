#include "tools/waga-export/export_options.h"

#include "export/cell_values.h"
#include "export/proposed_name.h"

const char* const kExportHelp =
    "Użycie:\n"
    "  waga-export [--dir KATALOG] [--from DATA] [--to DATA] [--out PLIK]\n"
    "      eksportuje pliki danych dni od DATY do DATY (rrrr-mm-dd lub rrrrmmdd)\n"
    "      z KATALOGU (domyślnie bieżący); bez --from i --to: dzisiejszy dzień,\n"
    "      z samym --from: od tego dnia do dziś\n"
    "  waga-export [--out PLIK] PLIK_DANYCH...\n"
    "      eksportuje podane pliki danych\n"
    "  waga-export --to-db [--dir KATALOG] [--from DATA] [--to DATA] | PLIK_DANYCH...\n"
    "      wysyła linie tych plików danych do bazy danych z pliku baza.ini w KATALOGU\n"
    "      (tylko to, czego baza jeszcze nie ma; protokół portu z konfig.ini i protokol.ini)\n"
    "  waga-export --help | --version\n"
    "--protocol ID: jak czytać odczyty wagi (liczba, jednostka, si, st, esc_p,\n"
    "ramka); domyślnie protokół portu z konfig.ini zapisany w protokol.ini.\n"
    "Poza liczbą arkusz Odczyty ma też kolumny Jednostka i Stabilny.\n"
    "PLIK kończy się na .xlsx (skoroszyt z arkuszami Ważenia, Bilanse i Odczyty)\n"
    "albo .csv (średniki, przecinek dziesiętny, UTF-8; bilanse i odczyty obok,\n"
    "w plikach z -bilanse i -odczyty w nazwie); domyślnie wazenia-DATA.xlsx.\n"
    "Dzień bez pliku danych jest pomijany i liczony.\n"
    "Kody wyjścia: 0 wykonano, 1 plik danych lub docelowy nie dał się użyć,\n"
    "2 błędne argumenty.\n";

std::optional<double> ParseDay(const std::string& text) {
  std::string digits;
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    digits = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
  } else if (text.size() == 8) {
    digits = text;
  } else {
    return std::nullopt;
  }
  return FileNameDay(digits);
}

std::optional<ExportOptions> ParseExportOptions(int argc, const char* const* argv, double today,
                                                std::string& error) {
  ExportOptions options;
  bool formatGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.command = ExportCommand::Help;
      return options;
    }
    if (arg == "--version") {
      options.command = ExportCommand::Version;
      return options;
    }
    if (arg == "--to-db") {
      options.command = ExportCommand::ToDatabase;
      continue;
    }
    if (arg == "--dir" || arg == "--out" || arg == "--from" || arg == "--to" || arg == "--protocol") {
      if (i + 1 >= argc) {
        error = "brak wartości po " + arg;
        return std::nullopt;
      }
      const std::string value = argv[++i];
      if (arg == "--dir") {
        options.dir = value;
      } else if (arg == "--protocol") {
        options.protocol = ProtocolIdFromText(value);
        if (!options.protocol) {
          error = "nieznany protokół: " + value + " (liczba, jednostka, si, st, esc_p, ramka)";
          return std::nullopt;
        }
      } else if (arg == "--out") {
        const auto format = FormatOfTarget(value);
        if (!format) {
          error = "plik docelowy musi kończyć się na .xlsx albo .csv: " + value;
          return std::nullopt;
        }
        options.out = value;
        options.format = *format;
        formatGiven = true;
      } else {
        const auto day = ParseDay(value);
        if (!day) {
          error = "zła data po " + arg + ": " + value + " (rrrr-mm-dd)";
          return std::nullopt;
        }
        (arg == "--from" ? options.from : options.to) = day;
      }
    } else if (arg.starts_with("-") && arg != "-") {
      error = "nieznana opcja " + arg;
      return std::nullopt;
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.command == ExportCommand::ToDatabase && formatGiven) {
    error = "--to-db nie tworzy arkusza: bez --out";
    return std::nullopt;
  }
  if (!options.files.empty() && (options.from || options.to)) {
    error = "podaj dni (--from, --to) albo nazwy plików danych, nie jedno i drugie";
    return std::nullopt;
  }
  if (options.files.empty()) {
    if (!options.to) options.to = today;
    if (!options.from) options.from = options.to;
    if (*options.from > *options.to) {
      error = "data --from jest późniejsza niż --to";
      return std::nullopt;
    }
  }
  if (!formatGiven) {
    options.out = ProposedTargetName(options.from.value_or(today), options.to.value_or(today),
                                     ExportFormat::Xlsx);
    options.format = ExportFormat::Xlsx;
  }
  return options;
}

std::vector<DataFileEntry> ExportFiles(const ExportOptions& options) {
  if (options.files.empty()) return DataFilesOfDays(*options.from, *options.to, options.dir);
  std::vector<DataFileEntry> files;
  for (const auto& name : options.files) files.push_back(NamedDataFile(name));
  return files;
}
