#pragma once

// The sheets as an .xlsx workbook through libxlsxwriter in its constant-memory
// mode: each row goes to a temporary file as soon as the next one starts, so
// memory stays flat whatever the number of rows. A sheet that reaches the
// format's last row goes on in a sheet of the same name with a number.

#include <memory>

#include "export/sheet_rows.h"

// The writer, or nothing with `error` saying why the target cannot be written.
// `readingUnits`: the "Odczyty" sheet has the unit and stability columns.
std::unique_ptr<SheetWriter> OpenXlsxSheets(const std::string& target, std::string& error,
                                            bool readingUnits = false);
