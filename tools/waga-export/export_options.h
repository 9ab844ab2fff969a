#pragma once

// The command line of waga-export.

#include <optional>
#include <string>
#include <vector>

#include "export/export_run.h"

enum class ExportCommand { Export, ToDatabase, Help, Version };

struct ExportOptions {
  ExportCommand command = ExportCommand::Export;
  std::string dir = ".";             // where the data files of the days lie
  std::optional<double> from, to;    // days (see export/sheet_rows.h)
  std::vector<std::string> files;    // data files named instead of days
  std::string out;                   // empty: the proposed name
  ExportFormat format = ExportFormat::Xlsx;
  // --protocol ID; none: that of konfig.ini's port in protokol.ini (in the
  // current folder).
  std::optional<ProtocolId> protocol;
};

// The options, or nothing with `error` saying what is wrong. `today` fills
// the days left out.
std::optional<ExportOptions> ParseExportOptions(int argc, const char* const* argv, double today,
                                                std::string& error);

// The files the options name: the days' files in dir, or the named ones.
std::vector<DataFileEntry> ExportFiles(const ExportOptions& options);

// "yyyy-mm-dd" or "yyyymmdd" as a day.
std::optional<double> ParseDay(const std::string& text);

extern const char* const kExportHelp;

// --to-db: the files' lines into the database that baza.ini in dir names,
// what it does not hold yet; prints what went. Returns the exit code.
int ShipToDatabase(const ExportOptions& options);

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a data file or the target could not be used
inline constexpr int kExitUsage = 2;   // bad arguments
