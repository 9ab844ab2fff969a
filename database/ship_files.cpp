#include "database/ship_files.h"

#include <algorithm>
#include <filesystem>

#include "database/status_text.h"
#include "export/cell_values.h"

ShipFilesSummary ShipFilesToDatabase(const ShippingTarget& target, std::vector<std::string> paths,
                                     ProtocolId protocol) {
  ShipFilesSummary summary;
  const auto name = [](const std::string& path) {
    return AsUtf8(std::filesystem::path(path).filename().string());
  };
  std::stable_sort(paths.begin(), paths.end(), [&](const std::string& a, const std::string& b) {
    return FileNameDay(name(a)).value_or(1e9) < FileNameDay(name(b)).value_or(1e9);
  });
  LineShipping shipping(target);
  const std::atomic<bool> never{false};
  PgError error;
  if (!shipping.Connect(never, error)) {
    summary.error = FaultAdvice(ClassifyFault(error.message, error.sqlState), error.message);
    return summary;
  }
  for (const std::string& path : paths) {
    FileCursor cursor = shipping.CursorFor(path, name(path));
    for (;;) {
      BatchReport report;
      const BatchOutcome outcome = shipping.ShipBatch(cursor, protocol, 20000, 4 << 20, report, error);
      if (outcome == BatchOutcome::Missing) summary.missing.push_back(path);
      if (outcome == BatchOutcome::Failed) {
        summary.error = FaultAdvice(ClassifyFault(error.message, error.sqlState), error.message);
        return summary;
      }
      if (outcome != BatchOutcome::Shipped) break;
      summary.shipped += report.shipped;
      summary.refused += report.refused;
      if (report.note) summary.notes.push_back(*report.note);
    }
  }
  return summary;
}
