// waga-export: the data files of chosen days, or named ones, into a
// spreadsheet (.xlsx or .csv).

#include <cmath>
#include <filesystem>
#include <iostream>

#include "text/clock.h"
#include "tools/waga-export/export_options.h"
#include "waga_version.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseExportOptions(argc, argv, std::floor(Now()), error);
  if (!options) {
    std::cerr << "waga-export: " << error << "\n(waga-export --help)\n";
    return kExitUsage;
  }
  if (options->command == ExportCommand::Help) {
    std::cout << kExportHelp;
    return kExitOk;
  }
  if (options->command == ExportCommand::Version) {
    std::cout << "waga-export " << kWagaVersion << "\n";
    return kExitOk;
  }
  std::error_code fsError;
  if (options->files.empty() && !std::filesystem::is_directory(options->dir, fsError)) {
    std::cerr << "waga-export: " << options->dir << ": nie ma takiego katalogu\n";
    return kExitFailed;
  }
  // A file named on the command line must be there; a day without a data
  // file is simply a day without weighings.
  for (const auto& file : options->files) {
    if (!std::filesystem::is_regular_file(file, fsError)) {
      std::cerr << "waga-export: " << file
                << (std::filesystem::exists(file, fsError) ? ": to nie jest plik danych\n"
                                                         : ": nie ma takiego pliku danych\n");
      return kExitFailed;
    }
  }
  if (options->command == ExportCommand::ToDatabase) return ShipToDatabase(*options);
  const ProtocolId protocol = options->protocol.value_or(ExportProtocol("."));
  const ExportSummary summary =
      ExportDataFiles(ExportFiles(*options), options->out, options->format, {}, nullptr, protocol);
  if (summary.error) {
    std::cerr << "waga-export: " << *summary.error << "\n";
    return kExitFailed;
  }
  std::cout << SummaryText(summary) << "\n";
  return summary.unusable.empty() ? kExitOk : kExitFailed;
}
