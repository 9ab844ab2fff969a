#pragma once

// A sheet writer that keeps the rows it is given, for tests of what becomes
// a row without a spreadsheet file in between.

#include <string>
#include <vector>

#include "export/sheet_rows.h"

class RecordingSheets : public SheetWriter {
 public:
  std::vector<RecordRow> records;
  std::vector<BalanceRow> balances;
  std::vector<ReadingRow> readings;

  void AddRecord(const RecordRow& row) override { records.push_back(row); }
  void AddBalance(const BalanceRow& row) override { balances.push_back(row); }
  void AddReading(const ReadingRow& row) override { readings.push_back(row); }
  std::optional<std::string> Finish() override { return std::nullopt; }
  std::vector<std::string> Written() const override { return {}; }
};
