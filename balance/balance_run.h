#pragma once

// What a balance is: a run of balance records, with empty lines among or
// after them belonging to the run. The detailed balance printout finds the
// run that ends the preview by this rule, the spreadsheet export every run of
// a data file.

#include <string_view>

#include "balance/balance_record.h"

enum class RunLine {
  Record,  // a balance record; `record` is filled
  Gap,     // an empty line: part of a run, adds nothing to it
  Other,   // any other line ends a run
};

RunLine ClassifyRunLine(std::string_view line, BalanceRecord& record);
