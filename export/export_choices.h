#pragma once

// "eksport.ini", beside konfig.ini: what the export dialog remembers from one
// export to the next. Lines of key "=" value, CR LF. This module alone reads
// and writes it.

#include <string>

#include "export/export_run.h"

inline constexpr const char* kExportChoicesFileName = "eksport.ini";

struct ExportChoices {
  ExportFormat format = ExportFormat::Xlsx;
  std::string folder;  // of the last target; empty: the working folder
};

// A missing or unreadable file, and any line it does not know, change nothing.
ExportChoices LoadExportChoices(const std::string& path = kExportChoicesFileName);
// Replaced the way every stored file is (never half-written); false when it
// could not be.
bool SaveExportChoices(const ExportChoices& choices, const std::string& path = kExportChoicesFileName);
