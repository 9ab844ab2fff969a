#pragma once

// The sheets as .csv files with the Polish conventions a spreadsheet opens
// without asking: semicolons, decimal commas, UTF-8 with a byte-order mark,
// CR LF. One file per sheet, since a .csv holds one table: the records go to
// the target itself, the balances beside it with "-bilanse" before the
// extension, the readings (when there are any) with "-odczyty".

#include <memory>

#include "export/sheet_rows.h"

// `readingUnits`: the readings' file has the unit and stability columns.
std::unique_ptr<SheetWriter> OpenCsvSheets(const std::string& target, std::string& error,
                                           bool readingUnits = false);

// "dir/dzień.csv" with `tag` "bilanse" gives "dir/dzień-bilanse.csv".
std::string CsvCompanion(const std::string& target, const std::string& tag);
