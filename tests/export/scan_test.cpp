// What of a data file becomes a row: the balance runs, the readings, the
// lines that are neither, and the bytes of a damaged file; and the reading of
// the file's lines themselves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/data_file_scan.h"
#include "export/line_reader.h"
#include "tests/support/temp_dir.h"
#include "tests/export/recording_sheets.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

constexpr double kDay = 46363;  // 2026-12-07

struct ScanCase {
  const char* name;
  std::string bytes;
  // Each balance as "sequence:weighings:total", then the counts.
  std::vector<std::string> balances;
  long long records, readings, damaged;
};

class ScanRows : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanRows, FindsTheBalancesAndReadings) {
  const ScanCase& c = GetParam();
  TempDir dir;
  WriteFile(dir.File("20261207"), c.bytes);
  RecordingSheets sheets;
  ExportCounts counts;
  ASSERT_EQ(ScanDataFile(dir.File("20261207"), kDay, "20261207", sheets, counts), ScanOutcome::Read);
  std::vector<std::string> balances;
  for (const auto& b : sheets.balances) {
    char text[64];
    std::snprintf(text, sizeof text, "%d:%d:%g", b.balance, b.weighings, b.total);
    balances.push_back(text);
  }
  EXPECT_THAT(balances, ElementsAreArray(c.balances));
  EXPECT_EQ(counts.balances, static_cast<long long>(c.balances.size()));
  EXPECT_EQ(counts.records, c.records);
  EXPECT_EQ(static_cast<long long>(sheets.records.size()), c.records);
  EXPECT_EQ(counts.readings, c.readings);
  EXPECT_EQ(counts.damagedLines, c.damaged);
}

const std::string kRecord1 = "001     45.23 kg     45.23 kg\r\n";
const std::string kRecord2 = "002     10.50 kg     55.73 kg\r\n";
const std::string kHeads = "  BILANS WAZEN\r\n  l.wazen    masa    suma\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, ScanRows,
    ::testing::Values(
        ScanCase{"EmptyLinesBelongToTheRun", kHeads + kRecord1 + "\r\n\r\n" + kRecord2 + "\r\n", {"1:2:55.73"}, 2, 0, 0},
        ScanCase{"AReadingEndsTheRun", kRecord1 + "  12.50\r\n" + kRecord2, {"1:1:45.23", "2:2:55.73"}, 2, 1, 0},
        ScanCase{"EveryReportIsABalanceOfItsOwn", kHeads + kRecord1 + kHeads + kRecord1 + kRecord2,
                 {"1:1:45.23", "2:2:55.73"}, 3, 0, 0},
        ScanCase{"TheLastLineNeedsNoLineEnd", kRecord1 + "002     10.50 kg     55.73 kg", {"1:2:55.73"}, 2, 0, 0},
        ScanCase{"ABareNumberIsAReadingAsTheLineProcessingDecides", "1 2 3\r\n-0,5\r\n.\r\n", {}, 0, 3, 0},
        ScanCase{"BinaryBytesEndTheRunAndAreCounted",
                 kRecord1 + std::string(1, '\0') + "002     10.50 kg     55.73 kg\r\n" + kRecord2,
                 {"1:1:45.23", "2:2:55.73"}, 2, 0, 1},
        ScanCase{"ALoneCarriageReturnInsideALineIsDamage", "001  1.00 kg\r  1.00 kg\r\n", {}, 0, 0, 1},
        ScanCase{"AnOverlongLineIsDamageHoweverItEnds", std::string(kMaxLineLength + 1, '7') + "\r\n" + kRecord1,
                 {"1:1:45.23"}, 1, 0, 1},
        ScanCase{"TextLinesAreNoRows", "\r\n  Firma\r\n   \r\n\t\r\n", {}, 0, 0, 0},
        ScanCase{"AnEmptyFileHasNothing", "", {}, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanDataFile, ARecordTakesItsStampOrTheFilesDayAndItsUnitAsWritten) {
  TempDir dir;
  WriteFile(dir.File("d"), "001  1.5kg  1.5kg    2026/12/08  00:05\r\n"
                           "002  -2.25 lb  -3.75 lb\r\n"
                           "003  1.00 kg  4.75 kg    2026/02/29  12:00\r\n");
  RecordingSheets sheets;
  ExportCounts counts;
  ScanDataFile(dir.File("d"), kDay, "d", sheets, counts);
  ASSERT_EQ(sheets.records.size(), 3u);
  EXPECT_EQ(sheets.records[0].day, kDay + 1);
  EXPECT_DOUBLE_EQ(*sheets.records[0].time, 5.0 / 1440);
  EXPECT_EQ(sheets.records[0].unit, "kg");
  EXPECT_EQ(sheets.records[0].decimals, 1);
  EXPECT_EQ(sheets.records[1].unit, "lb");
  EXPECT_EQ(sheets.records[1].mass, 2.25);  // the record carries no sign
  EXPECT_FALSE(sheets.records[1].time);
  // 2026 has no 29 February: the file's day, and no time without a day.
  EXPECT_EQ(sheets.records[2].day, kDay);
  EXPECT_FALSE(sheets.records[2].time);
  EXPECT_THAT(sheets.balances, ::testing::SizeIs(1));
  EXPECT_EQ(sheets.balances[0].day, kDay);
}

TEST(ScanDataFile, TellsAMissingFileFromOneThatCannotBeRead) {
  TempDir dir;
  RecordingSheets sheets;
  ExportCounts counts;
  EXPECT_EQ(ScanDataFile(dir.File("brak"), kDay, "brak", sheets, counts), ScanOutcome::Missing);
  EXPECT_EQ(ScanDataFile(dir.path.string(), kDay, "folder", sheets, counts), ScanOutcome::Unreadable);
}

// Lines that cross the reader's buffer come out whole.
TEST(LineReader, JoinsLinesAcrossItsBuffer) {
  TempDir dir;
  std::string bytes;
  std::vector<std::string> lines;
  for (int i = 0; bytes.size() < 200 * 1024; ++i) {
    lines.push_back(std::string(static_cast<std::size_t>(i % 97), 'a' + i % 26));
    bytes += lines.back() + (i % 2 ? "\r\n" : "\n");
  }
  WriteFile(dir.File("d"), bytes);
  std::FILE* file = std::fopen(dir.File("d").c_str(), "rb");
  LineReader reader(file);
  std::vector<std::string> read;
  std::string line;
  bool overlong = false;
  while (reader.Next(line, overlong)) {
    EXPECT_FALSE(overlong);
    read.push_back(line);
  }
  std::fclose(file);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(read, lines);
}

}  // namespace
