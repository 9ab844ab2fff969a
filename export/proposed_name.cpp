#include "export/proposed_name.h"

#include <cmath>

#include "export/cell_values.h"

std::string ProposedTargetName(double from, double to, ExportFormat format) {
  std::string name = "wazenia-" + IsoDay(from);
  if (std::floor(to) != std::floor(from)) name += "-" + IsoDay(to);
  return name + (format == ExportFormat::Csv ? ".csv" : ".xlsx");
}
