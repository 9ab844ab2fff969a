#pragma once

// The rows of the three sheets, "Ważenia", "Bilanse" and "Odczyty", as the
// writers take them, and the interface of a writer. Texts are UTF-8. A day is
// a whole count of days since 1899-12-30, a time of day a fraction of a day:
// both are what a spreadsheet stores for dates and times.

#include <optional>
#include <string>
#include <vector>

#include "protocols/scale_protocol.h"

struct RecordRow {
  double day = 0;
  std::optional<double> time;  // none: the record carries no stamp
  int balance = 0;             // the balance's sequence number within its data file
  int number = 0;              // weighing number
  double mass = 0;
  double total = 0;
  int decimals = 0;            // of mass and total, as the record writes them
  std::string unit;
  std::string file;
};

struct BalanceRow {
  double day = 0;
  std::optional<double> time;  // of its last record
  int balance = 0;
  int weighings = 0;           // the last record's number
  double total = 0;            // the last record's total
  int decimals = 0;
  std::string unit;
  std::string file;
};

struct ReadingRow {
  double day = 0;              // the data file's day
  double value = 0;
  int decimals = 0;
  std::string unit;            // as the line carries it; empty: none
  Stability stability = Stability::Unknown;
  std::string file;
};

class SheetWriter {
 public:
  virtual ~SheetWriter() = default;

  virtual void AddRecord(const RecordRow& row) = 0;
  virtual void AddBalance(const BalanceRow& row) = 0;
  virtual void AddReading(const ReadingRow& row) = 0;

  // Completes the files and puts them in place of the targets. Nothing on
  // success, else the reason in Polish (UTF-8); then no target has changed.
  // Without a successful Finish the destructor removes what was written.
  virtual std::optional<std::string> Finish() = 0;
  // The files Finish put in place, the named target first.
  virtual std::vector<std::string> Written() const = 0;
};

// Column heads, shared by both formats so that a .csv reads like the sheet.
inline constexpr const char* kRecordSheet = "Ważenia";
inline constexpr const char* kBalanceSheet = "Bilanse";
inline constexpr const char* kReadingSheet = "Odczyty";
inline constexpr const char* kRecordHeads[] = {"Data", "Godzina", "Bilans", "Nr ważenia",
                                               "Masa", "Suma", "Jednostka", "Plik"};
inline constexpr const char* kBalanceHeads[] = {"Data", "Godzina", "Bilans", "Liczba ważeń",
                                                "Masa łączna", "Jednostka", "Plik"};
inline constexpr const char* kReadingHeads[] = {"Data", "Odczyt", "Plik"};
// Where the scale's protocol carries units and stability (any but the bare
// number): "Stabilny" is "tak", "nie" or empty where the line does not say.
inline constexpr const char* kReadingUnitHeads[] = {"Data", "Odczyt", "Jednostka", "Stabilny", "Plik"};

inline const char* StabilityText(Stability stability) {
  return stability == Stability::Stable ? "tak" : stability == Stability::Motion ? "nie" : "";
}

// A spreadsheet shows no more than 15 significant digits; more decimals
// than this only come from a damaged line.
inline constexpr int kMaxDecimals = 10;
