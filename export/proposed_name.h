#pragma once

// The target's name that the export proposes for a span of days:
// "wazenia-2026-12-09.xlsx" for one day, "wazenia-2026-12-01-2026-12-09.csv"
// for several (no Polish letters, so that any disk and mail program takes it).

#include <string>

#include "export/export_run.h"

std::string ProposedTargetName(double from, double to, ExportFormat format);
