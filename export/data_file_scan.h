#pragma once

// One data file into the rows of the sheets: balance records (each with the
// sequence number of its balance within the file), one row per balance when
// its run ends, and the readings. Titles, headers and other text lines are no
// rows; overlong lines and lines with binary bytes are no rows either and are
// counted.

#include <atomic>
#include <string>

#include "export/sheet_rows.h"
#include "protocols/scale_protocol.h"

struct ExportCounts {
  long long balances = 0;
  long long records = 0;
  long long readings = 0;
  long long damagedLines = 0;  // overlong or binary
};

enum class ScanOutcome { Read, Missing, Unreadable, Cancelled };

// `day`: the file's day, for records without a stamp and for readings.
// `label`: how the rows name the file (UTF-8). A set `cancel` stops the
// scan between lines; the rows written so far stay. `protocol`: how the
// scale's lines are read into readings (unit and stability with them).
ScanOutcome ScanDataFile(const std::string& path, double day, const std::string& label,
                         SheetWriter& out, ExportCounts& counts,
                         const std::atomic<bool>* cancel = nullptr,
                         ProtocolId protocol = ProtocolId::Liczba);
