// A build without the database (Windows).

#include <iostream>

#include "tools/waga-export/export_options.h"

int ShipToDatabase(const ExportOptions&) {
  std::cerr << "waga-export: ta wersja programu nie wysyła linii do bazy danych\n";
  return kExitFailed;
}
