// waga-export --to-db: old days into the database, by the shipping's own code.

#include <filesystem>
#include <iostream>

#include "config/konfig/konfig.h"
#include "database/baza_ini.h"
#include "database/file_identity.h"
#include "database/ship_files.h"
#include "protocols/protocol_settings.h"
#include "text/win1250.h"
#include "tools/waga-export/export_options.h"

int ShipToDatabase(const ExportOptions& options) {
  const std::filesystem::path dir(options.dir);
  const auto settings = LoadDatabaseSettings((dir / kDatabaseFileName).string());
  if (!settings) {
    std::cerr << "waga-export: brak pliku " << (dir / kDatabaseFileName).string()
              << " (Polaczenie=, Stanowisko=): nie wiadomo, dokąd wysłać linie\n";
    return kExitFailed;
  }
  // The readings as the program reads them: the protocol of its port.
  KonfigSettings konfig;
  try {
    LoadKonfig(konfig, (dir / "konfig.ini").string());
  } catch (...) {
  }
  const ProtocolId protocol = LoadPortProtocol((dir / kProtocolFileName).string(), konfig.Port).protocol;
  std::vector<std::string> paths;
  for (const auto& file : ExportFiles(options)) {
    std::error_code ignored;
    if (options.files.empty() && !std::filesystem::exists(file.path, ignored)) continue;
    paths.push_back(file.path);
  }
  const ShipFilesSummary summary =
      ShipFilesToDatabase({Cp1250ToUtf8(settings->connection), StationName(*settings)}, paths, protocol);
  for (const auto& note : summary.notes) std::cout << note << "\n";
  for (const auto& file : summary.missing) std::cerr << "waga-export: " << file << ": nie ma takiego pliku danych\n";
  if (summary.error) {
    std::cerr << "waga-export: " << *summary.error << "\n";
    return kExitFailed;
  }
  std::cout << "Do bazy poszło " << summary.shipped << " linii z " << paths.size() << " plików";
  if (summary.refused > 0) std::cout << "; baza odrzuciła " << summary.refused << " (pominięte)";
  std::cout << ".\n";
  return summary.missing.empty() ? kExitOk : kExitFailed;
}
