// The export read back by a spreadsheet library that is not ours (openpyxl),
// and the .csv conventions byte by byte.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "export/export_run.h"
#include "tests/support/temp_dir.h"
#include "text/clock.h"
#include "text/win1250.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Rows = std::vector<std::vector<std::string>>;

namespace {

double Day(int year, int month, int day) { return EncodeDateTime({.year = year, .month = month, .day = day}); }

bool HaveReader() {
  const std::string probe = std::string(WAGA_PYTHON3) + " -c 'import openpyxl' 2>/dev/null";
  return std::system(probe.c_str()) == 0;
}

#define REQUIRE_READER() \
  if (!HaveReader()) GTEST_SKIP() << "python3-openpyxl is not installed (scripts/setup.sh test)"

// Each sheet's rows, each cell as read_xlsx.py writes it.
std::map<std::string, Rows> ReadBack(const std::string& workbook) {
  const std::string command = std::string(WAGA_PYTHON3) + " " + WAGA_READ_XLSX + " '" + workbook + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (pipe) ::pclose(pipe);
  std::map<std::string, Rows> sheets;
  Rows* sheet = nullptr;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("# ")) {
      sheet = &sheets[line.substr(2)];
      continue;
    }
    if (!sheet) continue;
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    sheet->push_back(cells);
  }
  return sheets;
}

// Two balances: one spans midnight with stamps, one was received without
// them and with a unit whose letters only Windows-1250 carries here.
const std::vector<std::string> kTwoBalances = {
    "",
    "  BILANS WAZEN",
    "  l.wazen    masa    suma",
    "001     45.23 kg     45.23 kg    2026/12/08  23:59",
    "002     10.50 kg     55.73 kg    2026/12/09  00:01",
    "",
    "  BILANS WAZEN",
    "  l.wazen    masa    suma",
    "001     1.000 łut     1.000 łut",
    "002     2.500 łut     3.500 łut",
};

class ExportTest : public ::testing::Test {
 protected:
  // A data file of UTF-8 lines, stored as the program stores them.
  void DataFile(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += Utf8ToCp1250(line) + "\r\n";
    WriteFile(dir.File(name), bytes);
  }
  void RawDataFile(const std::string& name, const std::string& bytes) { WriteFile(dir.File(name), bytes); }

  ExportSummary Export(const std::string& target, double from, double to,
                       const std::atomic<bool>* cancel = nullptr) {
    return ExportDataFiles(DataFilesOfDays(from, to, dir.path.string()), dir.File(target),
                           *FormatOfTarget(target), {}, cancel);
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
};

TEST_F(ExportTest, RecordsKeepTheirNumbersDecimalsStampsAndUnits) {
  REQUIRE_READER();
  DataFile("20261208", kTwoBalances);
  const ExportSummary summary = Export("dzien.xlsx", Day(2026, 12, 8), Day(2026, 12, 8));
  ASSERT_FALSE(summary.error) << *summary.error;
  EXPECT_EQ(summary.counts.balances, 2);
  EXPECT_EQ(summary.counts.records, 4);

  auto sheets = ReadBack(dir.File("dzien.xlsx"));
  ASSERT_EQ(sheets.size(), 2u) << "no readings, no sheet \"Odczyty\"";
  const Rows& records = sheets["Ważenia"];
  ASSERT_EQ(records.size(), 5u);
  EXPECT_THAT(records[0], ElementsAre("s:Data", "s:Godzina", "s:Bilans", "s:Nr ważenia", "s:Masa", "s:Suma",
                                      "s:Jednostka", "s:Plik"));
  EXPECT_THAT(records[1], ElementsAre("d:2026-12-08", "t:23:59", "n:1", "n:1", "n:45.23|0.00",
                                      "n:45.23|0.00", "s:kg", "s:20261208"));
  EXPECT_THAT(records[2], ElementsAre("d:2026-12-09", "t:00:01", "n:1", "n:2", "n:10.5|0.00",
                                      "n:55.73|0.00", "s:kg", "s:20261208"));
  // Without a stamp: the data file's day and no time.
  EXPECT_THAT(records[4], ElementsAre("d:2026-12-08", "", "n:2", "n:2", "n:2.5|0.000", "n:3.5|0.000",
                                      "s:łut", "s:20261208"));

  const Rows& balances = sheets["Bilanse"];
  ASSERT_EQ(balances.size(), 3u);
  EXPECT_THAT(balances[0], ElementsAre("s:Data", "s:Godzina", "s:Bilans", "s:Liczba ważeń", "s:Masa łączna",
                                       "s:Jednostka", "s:Plik"));
  // The balance that spans midnight has the day and time of its last record.
  EXPECT_THAT(balances[1], ElementsAre("d:2026-12-09", "t:00:01", "n:1", "n:2", "n:55.73|0.00", "s:kg",
                                       "s:20261208"));
  EXPECT_THAT(balances[2], ElementsAre("d:2026-12-08", "", "n:2", "n:2", "n:3.5|0.000", "s:łut",
                                       "s:20261208"));
}

TEST_F(ExportTest, DamagedLinesAndMissingDaysGiveNoRows) {
  REQUIRE_READER();
  DataFile("20261208", {});  // an empty day; 2026-12-07 has no file at all
  RawDataFile("20261209", "001     45.23 kg     45.23 kg\r\n"
                          "\x01\x02" "002     1.00 kg     2.00 kg\r\n" +
                              std::string(5000, '1') + " 2 3\r\n" +
                              "002     45.2 kg\r\n"  // a record cut short ends the balance
                              "003     1.00 kg     3.00 kg    2026/13/45  25:99\r\n"
                              "  12.50\r\n"
                              " -0,5");  // the last line without its line end
  const ExportSummary summary = Export("dni.xlsx", Day(2026, 12, 7), Day(2026, 12, 9));
  ASSERT_FALSE(summary.error) << *summary.error;
  EXPECT_EQ(summary.filesRead, 2);
  EXPECT_EQ(summary.missing.size(), 1u);
  EXPECT_EQ(summary.counts.damagedLines, 2);
  EXPECT_THAT(SummaryText(summary), HasSubstr("Dni bez pliku danych (pominięte): 1."));

  auto sheets = ReadBack(dir.File("dni.xlsx"));
  const Rows& records = sheets["Ważenia"];
  ASSERT_EQ(records.size(), 3u);
  EXPECT_THAT(records[1], ElementsAre("d:2026-12-09", "", "n:1", "n:1", "n:45.23|0.00", "n:45.23|0.00",
                                      "s:kg", "s:20261209"));
  // A stamp that is no date leaves the record with its file's day.
  EXPECT_THAT(records[2], ElementsAre("d:2026-12-09", "", "n:2", "n:3", "n:1|0.00", "n:3|0.00", "s:kg",
                                      "s:20261209"));
  EXPECT_EQ(sheets["Bilanse"].size(), 3u);
  EXPECT_THAT(sheets["Odczyty"], ElementsAre(ElementsAre("s:Data", "s:Odczyt", "s:Plik"),
                                             ElementsAre("d:2026-12-09", "n:12.5|0.00", "s:20261209"),
                                             ElementsAre("d:2026-12-09", "n:-0.5|0.0", "s:20261209")));
}

TEST_F(ExportTest, CsvFollowsPolishConventionsOneFilePerSheet) {
  DataFile("20261208", kTwoBalances);
  const ExportSummary summary = Export("dzien.csv", Day(2026, 12, 8), Day(2026, 12, 8));
  ASSERT_FALSE(summary.error) << *summary.error;
  EXPECT_THAT(summary.written, ElementsAre(dir.File("dzien.csv"), dir.File("dzien-bilanse.csv")));
  EXPECT_EQ(ReadFile(dir.File("dzien.csv")),
            "\xEF\xBB\xBF" "Data;Godzina;Bilans;Nr ważenia;Masa;Suma;Jednostka;Plik\r\n"
            "2026-12-08;23:59;1;1;45,23;45,23;kg;20261208\r\n"
            "2026-12-09;00:01;1;2;10,50;55,73;kg;20261208\r\n"
            "2026-12-08;;2;1;1,000;1,000;łut;20261208\r\n"
            "2026-12-08;;2;2;2,500;3,500;łut;20261208\r\n");
  EXPECT_EQ(ReadFile(dir.File("dzien-bilanse.csv")),
            "\xEF\xBB\xBF" "Data;Godzina;Bilans;Liczba ważeń;Masa łączna;Jednostka;Plik\r\n"
            "2026-12-09;00:01;1;2;55,73;kg;20261208\r\n"
            "2026-12-08;;2;2;3,500;łut;20261208\r\n");
}

// Whatever stops the export, no file is half-written and an older target stays.
TEST_F(ExportTest, AFailedOrCancelledExportLeavesNoFileBehind) {
  DataFile("20261208", kTwoBalances);
  WriteFile(dir.File("stary.xlsx"), "old");

  const std::atomic<bool> cancel{true};
  const ExportSummary cancelled = Export("stary.xlsx", Day(2026, 12, 8), Day(2026, 12, 8), &cancel);
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_THAT(SummaryText(cancelled), HasSubstr("przerwano"));

  WriteFile(dir.File(".~lock.stary.xlsx#"), "");
  const ExportSummary held = Export("stary.xlsx", Day(2026, 12, 8), Day(2026, 12, 8));
  ASSERT_TRUE(held.error);
  EXPECT_THAT(*held.error, HasSubstr("jest otwarty w innym programie"));
  std::filesystem::remove(dir.File(".~lock.stary.xlsx#"));

  const ExportSummary missingFolder = Export("brak/x.csv", Day(2026, 12, 8), Day(2026, 12, 8));
  ASSERT_TRUE(missingFolder.error);
  EXPECT_THAT(*missingFolder.error, HasSubstr("Nie można zapisać pliku"));
  EXPECT_THAT(*missingFolder.error, HasSubstr("nie ma takiego katalogu"));

  EXPECT_EQ(ReadFile(dir.File("stary.xlsx")), "old");
  EXPECT_THAT(Names(), ElementsAre("20261208", "stary.xlsx"));
}

TEST_F(ExportTest, ReadingsOfAProtocolCarryTheirUnitAndStability) {
  DataFile("20261208", {"001     45.23 kg     45.23 kg", "S S     100.00 g", "S D      -2,5 kg", "S +",
                        "  7.25", "+   12.50 kg"});
  const ExportSummary summary = ExportDataFiles(DataFilesOfDays(Day(2026, 12, 8), Day(2026, 12, 8), dir.path.string()),
                                                dir.File("si.csv"), ExportFormat::Csv, {}, nullptr, ProtocolId::Si);
  ASSERT_FALSE(summary.error) << *summary.error;
  EXPECT_EQ(summary.counts.records, 1);
  EXPECT_EQ(summary.counts.readings, 3);  // the status and the other shape's line are no readings
  EXPECT_EQ(ReadFile(dir.File("si-odczyty.csv")),
            "\xEF\xBB\xBF" "Data;Odczyt;Jednostka;Stabilny;Plik\r\n"
            "2026-12-08;100,00;g;tak;20261208\r\n"
            "2026-12-08;-2,5;kg;nie;20261208\r\n"
            "2026-12-08;7,25;;;20261208\r\n");
}

}  // namespace
