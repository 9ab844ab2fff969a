#pragma once

// The spreadsheet export of data files: which files, into which target, and
// the outcome as the user is told it.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/data_file_scan.h"

enum class ExportFormat { Xlsx, Csv };

// The format that the target's extension names (".xlsx" or ".csv", any
// letter case), or nothing.
std::optional<ExportFormat> FormatOfTarget(const std::string& target);

struct DataFileEntry {
  std::string path;
  double day = 0;  // for records without a stamp and for readings
};

// The data files of the days `from` to `to` (whole days, see sheet_rows.h),
// named yyyymmdd in `folder`, whether they exist or not.
std::vector<DataFileEntry> DataFilesOfDays(double from, double to, const std::string& folder);
// A data file given by name: its day from a yyyymmdd name, else the day of
// its last change (the last day that wrote it), else today.
DataFileEntry NamedDataFile(const std::string& path);

struct ExportSummary {
  ExportCounts counts;
  int filesRead = 0;
  std::vector<std::string> missing;   // no such file: skipped
  std::vector<std::string> unusable;  // there, but could not be read
  std::vector<std::string> written;
  std::optional<std::string> error;   // nothing was written, and why (Polish, UTF-8)
  bool cancelled = false;
};

// After each file: how many of how many are done.
using ExportProgress = std::function<void(int done, int total)>;

// Reads the files in order into one target. The target is written under a
// temporary name and renamed at the end: on an error or a cancel nothing of
// it is left and an older file of that name stays as it was.
ExportSummary ExportDataFiles(const std::vector<DataFileEntry>& files, const std::string& target,
                              ExportFormat format, const ExportProgress& progress = {},
                              const std::atomic<bool>* cancel = nullptr,
                              ProtocolId protocol = ProtocolId::Liczba);

// The protocol of the scale whose data files lie in `folder`: that of
// konfig.ini's port in the folder's protokol.ini.
ProtocolId ExportProtocol(const std::string& folder);

// What the export did, in Polish (UTF-8), one fact a line.
std::string SummaryText(const ExportSummary& summary);
