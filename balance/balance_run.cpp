#include "balance/balance_run.h"

RunLine ClassifyRunLine(std::string_view line, BalanceRecord& record) {
  if (line.empty()) return RunLine::Gap;
  return ParseBalanceRecord(line, record) ? RunLine::Record : RunLine::Other;
}
