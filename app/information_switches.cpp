#include "app/information_switches.h"

#include <string_view>

#include "waga_version.h"

namespace {

constexpr const char* kUsage =
    "Użycie: waga [--menu]\n"
    "Program do komunikacji z wagą elektroniczną przez RS-232: odczyty na\n"
    "wyświetlaczu, bilanse w podglądzie i w pliku danych dnia (rrrrmmdd), wydruki.\n"
    "Pracuje w bieżącym katalogu (konfig.ini, porty.ini, pliki danych).\n"
    "\n"
    "  --menu      katalog roboczy ~/Waga (tak uruchamia go menu pulpitu)\n"
    "  --help      ten tekst\n"
    "  --version   wersja programu\n"
    "\n"
    "Zobacz też: waga-sim, waga-ports, waga-export.\n";

}  // namespace

std::optional<int> AnswerInformationSwitches(int argc, char** argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--version") {
      out << "waga " << kWagaVersion << "\n";
      return 0;
    }
  }
  return std::nullopt;
}
