// The cells' values taken from the texts of a data file, the export's own
// choices file and the export on its thread.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "export/background_export.h"
#include "export/cell_values.h"
#include "export/csv_sheets.h"
#include "export/export_choices.h"
#include "export/file_names.h"
#include "tests/support/temp_dir.h"
#include "text/win1250.h"

using ::testing::HasSubstr;

namespace {

TEST(CellValues, StampsAreReadOnlyWhenTheyAreRealDatesAndTimes) {
  EXPECT_EQ(StampDay("2024/02/29"), 45351);
  EXPECT_EQ(StampDay("2026/12/07"), 46363);
  for (const char* bad : {"2026/02/29", "2026/13/01", "2026/00/10", "2026/12/32", "1900/01/01", "2026/1/07",
                          "2026-12-07", "", "2026/12/07x"}) {
    EXPECT_FALSE(StampDay(bad)) << bad;
  }
  EXPECT_DOUBLE_EQ(*StampTime("23:59"), 1439.0 / 1440);
  EXPECT_EQ(StampTime("00:00"), 0.0);
  for (const char* bad : {"24:00", "12:60", "1:05", "12.05", ""}) EXPECT_FALSE(StampTime(bad)) << bad;
  EXPECT_EQ(FileNameDay("/dane/20261207"), 46363);
  EXPECT_FALSE(FileNameDay("20261207.txt"));
}

TEST(CellValues, AReadingKeepsTheDecimalsItsTextShows) {
  const auto reading = [](const char* text) { return ParseReading(text).value_or(ReadingValue{-1, -1}); };
  EXPECT_EQ(reading("  12.50").value, 12.5);
  EXPECT_EQ(reading("  12.50").decimals, 2);
  EXPECT_EQ(reading("-0,5").decimals, 1);
  EXPECT_EQ(reading("1.25e3").value, 1250);
  EXPECT_EQ(reading("1.25e3").decimals, 2);
  EXPECT_EQ(reading("7").decimals, 0);
  EXPECT_FALSE(ParseReading("12.50 kg"));
  EXPECT_FALSE(ParseReading("1e99999"));
}

TEST(CellValues, NumbersWithACommaKeepEveryDigitTheyHave) {
  EXPECT_EQ(CommaNumber(45.2, 2), "45,20");
  EXPECT_EQ(CommaNumber(-0.5, 1), "-0,5");
  EXPECT_EQ(CommaNumber(3, 0), "3");
  // A total with more decimals than its record's mass keeps them.
  EXPECT_EQ(CommaNumber(55.73, 1), "55,73");
  EXPECT_EQ(CommaNumber(1.0 / 3, 40), "0,3333333333333333");
}

TEST(CellValues, TextsBecomeUtf8AndUnitsComeAsWritten) {
  EXPECT_EQ(AsUtf8("ważenia"), "ważenia");
  EXPECT_EQ(AsUtf8(Utf8ToCp1250("łut")), "łut");
  EXPECT_EQ(AsUtf8("\xC3"), Cp1250ToUtf8("\xC3"));  // a cut UTF-8 sequence is Windows-1250
  EXPECT_EQ(RecordUnit(Utf8ToCp1250("001  1.000 łut  1.000 łut")), "łut");
  EXPECT_EQ(RecordUnit("001  1.5kg  1.5kg"), "kg");
  EXPECT_EQ(RecordUnit("001  1.5  1.5"), "");
  EXPECT_TRUE(HoldsBinary(std::string("a\0b", 3)));
  EXPECT_TRUE(HoldsBinary("a\x7F"));
  EXPECT_FALSE(HoldsBinary(Utf8ToCp1250("\tżółw 1.5")));
}

TEST(CsvSheets, CompanionsAreNamedAfterTheTargetAndTextsAreQuoted) {
  EXPECT_EQ(CsvCompanion("/x/dzień.csv", "bilanse"), "/x/dzień-bilanse.csv");
  TempDir dir;
  std::string error;
  auto sheets = OpenCsvSheets(dir.File("a.csv"), error);
  ASSERT_TRUE(sheets) << error;
  RecordRow row;
  row.day = 46363;
  row.unit = "k;g";
  row.file = "plik \"1\"";
  sheets->AddRecord(row);
  ASSERT_FALSE(sheets->Finish());
  EXPECT_THAT(ReadFile(dir.File("a.csv")), HasSubstr("2026-12-07;;0;0;0;0;\"k;g\";\"plik \"\"1\"\"\"\r\n"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("a-odczyty.csv")));
}

TEST(ExportChoices, AreRememberedAndAnUnknownFileChangesNothing) {
  TempDir dir;
  const std::string path = dir.File("eksport.ini");
  EXPECT_EQ(LoadExportChoices(path).format, ExportFormat::Xlsx);
  ASSERT_TRUE(SaveExportChoices({ExportFormat::Csv, "/home/u/arkusze"}, path));
  EXPECT_EQ(ReadFile(path), "Format=csv\r\nKatalog=/home/u/arkusze\r\n");
  const ExportChoices loaded = LoadExportChoices(path);
  EXPECT_EQ(loaded.format, ExportFormat::Csv);
  EXPECT_EQ(loaded.folder, "/home/u/arkusze");
  WriteFile(path, "Format=ods\nInne=1\n");
  EXPECT_EQ(LoadExportChoices(path).format, ExportFormat::Xlsx);
  EXPECT_FALSE(SaveExportChoices({}, dir.File("brak/eksport.ini")));
}

// The callbacks come from the export's own thread; the test waits for the
// end with a bounded wait on a condition.
TEST(BackgroundExport, ReportsEachFileAndItsEndFromItsOwnThread) {
  TempDir dir;
  WriteFile(dir.File("20261207"), "001     45.23 kg     45.23 kg\r\n");
  std::mutex mutex;
  std::condition_variable ended;
  std::vector<int> progress;
  std::optional<ExportSummary> summary;
  const auto caller = std::this_thread::get_id();
  std::thread::id worker;
  {
    BackgroundExport job(DataFilesOfDays(46362, 46363, dir.path.string()), dir.File("a.xlsx"), ExportFormat::Xlsx,
                         [&](int done, int) {
                           const std::lock_guard lock(mutex);
                           progress.push_back(done);
                         },
                         [&](const ExportSummary& s) {
                           const std::lock_guard lock(mutex);
                           summary = s;
                           worker = std::this_thread::get_id();
                           ended.notify_all();
                         });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(ended.wait_for(lock, std::chrono::seconds(30), [&] { return summary.has_value(); }));
  }
  EXPECT_NE(worker, caller);
  EXPECT_EQ(progress, (std::vector<int>{1, 2}));
  EXPECT_EQ(summary->counts.records, 1);
  EXPECT_EQ(summary->missing.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(dir.File("a.xlsx")));
}

}  // namespace

namespace {

// Names are taken apart as bytes, so that a Polish letter in any encoding
// comes back as it went in.
TEST(FileNames, AreTakenApartByteForByte) {
  const std::string cp1250 = Utf8ToCp1250("/dane/dzień.csv");
  EXPECT_EQ(CsvCompanion(cp1250, "odczyty"), Utf8ToCp1250("/dane/dzień-odczyty.csv"));
  EXPECT_EQ(NameOf(cp1250), Utf8ToCp1250("dzień.csv"));
  EXPECT_EQ(FolderOf(cp1250), "/dane");
  EXPECT_EQ(FolderOf("/plik"), "/");
  EXPECT_EQ(FolderOf("plik"), "");
  EXPECT_EQ(InFolder("", "a"), "a");
  EXPECT_EQ(InFolder("/x/", "a"), "/x/a");
  EXPECT_EQ(InFolder("/x", "a"), "/x/a");
  EXPECT_EQ(ExtensionOf("/x.y/plik"), "");
  EXPECT_EQ(ExtensionOf(".csv"), "");
  EXPECT_EQ(ExtensionOf("a.b.XLSX"), ".XLSX");
}

}  // namespace
