#pragma once

// A year of a busy station's data files for the export benchmarks: 365 files
// named yyyymmdd for 2026, of balance reports (an empty line, the title, the
// header and 100 stamped records) and runs of 20 readings between them.

#include <filesystem>

inline constexpr int kDays = 365;

void WriteYear(const std::filesystem::path& folder, long long lines);
// The first and the last day of that year.
double FirstDay();
double LastDay();
