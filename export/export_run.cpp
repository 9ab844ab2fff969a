#include "export/export_run.h"

#include <chrono>
#include <cmath>
#include <filesystem>

#include "export/cell_values.h"
#include "export/csv_sheets.h"
#include "export/file_names.h"
#include "export/target_file.h"
#include "export/xlsx_sheets.h"
#include "config/konfig/konfig.h"
#include "protocols/protocol_settings.h"
#include "text/clock.h"
#include "text/local_time.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

double Today() { return std::floor(Now()); }

std::optional<double> LastChangeDay(const std::string& path) {
  std::error_code error;
  const auto changed = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  const auto system = std::chrono::system_clock::now() +
                      std::chrono::duration_cast<std::chrono::system_clock::duration>(
                          changed - fs::file_time_type::clock::now());
  const std::tm local = LocalTime(std::chrono::system_clock::to_time_t(system));
  return EncodeDateTime({.year = local.tm_year + 1900, .month = local.tm_mon + 1, .day = local.tm_mday});
}

std::unique_ptr<SheetWriter> OpenSheets(const std::string& target, ExportFormat format, bool readingUnits,
                                        std::string& error) {
  for (const std::string& file : format == ExportFormat::Csv
                                     ? std::vector<std::string>{target, CsvCompanion(target, "bilanse"),
                                                                CsvCompanion(target, "odczyty")}
                                     : std::vector<std::string>{target}) {
    if (auto held = TargetHeldOpen(file)) {
      error = *held;
      return nullptr;
    }
  }
  return format == ExportFormat::Csv ? OpenCsvSheets(target, error, readingUnits)
                                     : OpenXlsxSheets(target, error, readingUnits);
}

}  // namespace

std::optional<ExportFormat> FormatOfTarget(const std::string& target) {
  const std::string extension = Lower(ExtensionOf(target));
  if (extension == ".xlsx") return ExportFormat::Xlsx;
  if (extension == ".csv") return ExportFormat::Csv;
  return std::nullopt;
}

std::vector<DataFileEntry> DataFilesOfDays(double from, double to, const std::string& folder) {
  std::vector<DataFileEntry> files;
  for (double day = std::floor(from); day <= std::floor(to); day += 1) {
    files.push_back({InFolder(folder, FileDate(day)), day});
  }
  return files;
}

DataFileEntry NamedDataFile(const std::string& path) {
  return {path, FileNameDay(path).value_or(LastChangeDay(path).value_or(Today()))};
}

ExportSummary ExportDataFiles(const std::vector<DataFileEntry>& files, const std::string& target,
                              ExportFormat format, const ExportProgress& progress,
                              const std::atomic<bool>* cancel, ProtocolId protocol) {
  ExportSummary summary;
  std::string error;
  auto sheets = OpenSheets(target, format, protocol != ProtocolId::Liczba, error);
  if (!sheets) {
    summary.error = error;
    return summary;
  }
  int done = 0;
  for (const DataFileEntry& file : files) {
    const std::string label = AsUtf8(NameOf(file.path));
    switch (ScanDataFile(file.path, file.day, label, *sheets, summary.counts, cancel, protocol)) {
      case ScanOutcome::Read: ++summary.filesRead; break;
      case ScanOutcome::Missing: summary.missing.push_back(AsUtf8(file.path)); break;
      case ScanOutcome::Unreadable: summary.unusable.push_back(AsUtf8(file.path)); break;
      case ScanOutcome::Cancelled: summary.cancelled = true; return summary;
    }
    if (progress) progress(++done, static_cast<int>(files.size()));
  }
  summary.error = sheets->Finish();
  if (!summary.error) {
    for (const std::string& written : sheets->Written()) summary.written.push_back(AsUtf8(written));
  }
  return summary;
}

std::string SummaryText(const ExportSummary& s) {
  if (s.cancelled) return "Eksport przerwano; nie zapisano żadnego pliku.";
  if (s.error) return *s.error;
  const auto& c = s.counts;
  std::string text = "Bilanse: " + std::to_string(c.balances) + ", ważenia: " + std::to_string(c.records) +
                     ", odczyty: " + std::to_string(c.readings) + ".\n";
  text += "Przeczytane pliki danych: " + std::to_string(s.filesRead) + ".\n";
  if (!s.missing.empty()) {
    text += "Dni bez pliku danych (pominięte): " + std::to_string(s.missing.size()) + ".\n";
  }
  if (!s.unusable.empty()) {
    text += "Nie dało się odczytać:";
    for (const auto& file : s.unusable) text += " " + file;
    text += ".\n";
  }
  if (c.damagedLines > 0) {
    text += "Uszkodzone wiersze (pominięte): " + std::to_string(c.damagedLines) + ".\n";
  }
  text += "Zapisano:";
  for (const auto& file : s.written) text += "\n" + file;
  return text;
}

ProtocolId ExportProtocol(const std::string& folder) {
  KonfigSettings konfig;
  try {
    LoadKonfig(konfig, InFolder(folder, kKonfigFileName));
  } catch (const KonfigReadError&) {
    // What was read stays; the default port otherwise.
  }
  return LoadPortProtocol(InFolder(folder, kProtocolFileName), konfig.Port).protocol;
}
