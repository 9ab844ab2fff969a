// The three print commands on a recording stream: their checks, messages,
// page layout and styles, and which preview lines they take when.

#include <gtest/gtest.h>

#include "acquisition/text/clock.h"
#include "acquisition/text/win1250.h"
#include "balance/printouts.h"
#include "tests/printing/balance_report_lines.h"
#include "tests/printing/fake_printout_host.h"

namespace {

const std::string kMargin(10, ' ');
const std::string kDateLine = kMargin + "Data wydruku:         2024/01/31";
const std::string kTimeLine = kMargin + "Godzina wydruku:        12:34.56";

std::string W(const char* utf8) { return Utf8ToCp1250(utf8); }

const FontStyles kRegular = FontStyles::Regular();

class PrintoutsTest : public testing::Test {
 protected:
  void SetUp() override {
    SetClock([] { return EncodeDateTime({2024, 1, 31, 12, 34, 56, 0}); });
  }
  void TearDown() override { SetClock({}); }

  std::vector<std::string> Printed() const { return host.Recording.Texts(); }
  const PrintedLine& Line(std::size_t i) const { return host.Recording.Lines.at(i); }

  // Only the error box with `utf8` was shown and no job was started.
  void ExpectRefused(const char* utf8) const {
    ASSERT_EQ(host.Boxes.Shown.size(), 1u);
    EXPECT_EQ(host.Boxes.Shown[0].Kind, MessageKind::Error);
    EXPECT_EQ(host.Boxes.Shown[0].Text, W(utf8));
    EXPECT_FALSE(host.Recording.Opened);
  }
  void ExpectConfirmed() const {
    EXPECT_TRUE(host.Recording.Closed);
    EXPECT_FALSE(host.Recording.Aborted);
    ASSERT_EQ(host.Boxes.Shown.size(), 1u);
    EXPECT_EQ(host.Boxes.Shown[0].Kind, MessageKind::Information);
    EXPECT_EQ(host.Boxes.Shown[0].Text, W("Informację o bilansie skierowano na drukarkę."));
  }

  FakePrintoutHost host;
};

TEST_F(PrintoutsTest, BalancePageWithCompanyHeader) {
  host.Preview = BalanceReport(10);
  host.Preview.push_back("");
  host.Preview.push_back("");
  host.Name = W("Młyn Żółw");
  BBdrukuj_bilansClick(host);

  const std::vector<std::string> expected = {
      "", "", "", "", "",
      kMargin + W("Młyn Żółw"),
      kMargin + "<adres>",
      "",
      kMargin + W("B I L A N S    W A Ż E Ń"),
      "",
      kDateLine,
      kTimeLine,
      kMargin + W("Liczba ważeń: ") + "                10",
      kMargin + W("Łączna masa: ") + "             102.50"};
  EXPECT_EQ(Printed(), expected);
  for (std::size_t i = 10; i < expected.size(); ++i) EXPECT_EQ(expected[i].size(), 42u) << i;
  EXPECT_EQ(host.Recording.FontName, "Courier New");
  EXPECT_EQ(host.Recording.FontSize, 13);

  EXPECT_TRUE(Line(5).Runs.at(0).Styles.Italic);
  EXPECT_TRUE(Line(6).Runs.at(0).Styles.Italic);
  // The margin stays regular under the underlined title, the label under the bold value.
  ASSERT_EQ(Line(8).Runs.size(), 2u);
  EXPECT_EQ(Line(8).Runs[0].Styles, kRegular);
  EXPECT_EQ(Line(8).Runs[1].Styles, FontStyles::UnderlineOnly());
  EXPECT_EQ(Line(10).Runs.at(0).Styles, kRegular);
  for (int i : {12, 13}) {
    ASSERT_EQ(Line(i).Runs.size(), 2u);
    EXPECT_EQ(Line(i).Runs[0].Styles, kRegular);
    EXPECT_EQ(Line(i).Runs[1].Styles, FontStyles::BoldOnly());
  }
  ExpectConfirmed();
}

TEST_F(PrintoutsTest, WithoutCompanyHeaderTheTitleFollowsTheTopMargin) {
  host.CompanyHeader = false;
  host.Preview = {"", RecordLine(1, "45.235", "45.235", false)};
  BBdrukuj_bilansClick(host);

  ASSERT_EQ(Printed().size(), 11u);
  EXPECT_EQ(Printed()[5], kMargin + W("B I L A N S    W A Ż E Ń"));
  // Three decimals in the mass give three in the total.
  EXPECT_EQ(Printed()[10], kMargin + W("Łączna masa: ") + "             45.235");
}

TEST_F(PrintoutsTest, BalanceChecksRefuseWithTheirMessages) {
  const char* notBalance = "Waga nie pracuje w trybie \"bilansu\"!";
  host.Preview = {};
  BBdrukuj_bilansClick(host);
  ExpectRefused("Brak informacji o \"bilansie\" (okno z raportami jest puste)!");

  host.Boxes.Shown.clear();
  host.Preview = BalanceReport(3);
  host.Preview.push_back("  BILANS WAZEN");
  host.Preview.push_back("");
  BBdrukuj_bilansClick(host);
  ExpectRefused(notBalance);

  host.Boxes.Shown.clear();
  host.Preview = {"", "", ""};
  BBdrukuj_bilansClick(host);
  ExpectRefused(notBalance);
}

TEST_F(PrintoutsTest, StreamThatDoesNotOpenPrintsNothing) {
  host.Recording.OpenResult = 5;
  host.Preview = BalanceReport(2);
  BBdrukuj_bilansClick(host);
  ExpectRefused("Błąd przy otwieraniu strumienia wydruku!\rSprawdź konfigurację drukarki w Windows.");
  EXPECT_TRUE(host.Recording.Lines.empty());
}

TEST_F(PrintoutsTest, BalanceRecordIsReadBeforeTheJobOpens) {
  host.Preview = BalanceReport(2);
  host.Recording.OnOpen = [&] { host.Preview.push_back(RecordLine(3, "1.5", "22.0")); };
  BBdrukuj_bilansClick(host);
  EXPECT_EQ(Printed().at(12), kMargin + W("Liczba ważeń: ") + "                 2");
  EXPECT_EQ(Printed().at(13), kMargin + W("Łączna masa: ") + "              20.50");
}

TEST_F(PrintoutsTest, DetailedPageOfAFullReport) {
  host.Preview = BalanceReport(10);
  host.Preview.insert(host.Preview.begin() + 6, "");  // a gap among the records
  host.Preview[10] = RecordLine(7, "45.2", "76.7", false);
  host.Preview.push_back("");
  BBdrukuj_szczbilansClick(host);

  const std::vector<std::string> printed = Printed();
  ASSERT_EQ(printed.size(), 10u + 2 + 2 + 1 + 1 + 10 + 2);
  EXPECT_EQ(printed[8], kMargin + W("S Z C Z E G Ó Ł O W Y    B I L A N S    W A Ż E Ń"));
  EXPECT_EQ(printed[12], "");
  EXPECT_EQ(printed[13], "");
  EXPECT_EQ(printed[14],
            W("          nr.waż.     masa    łączna masa       dzień      godzina"));
  EXPECT_EQ(printed[15], "");
  EXPECT_EQ(printed[16],
            kMargin + "  1        10.25        10.25      2024/01/31     12:34");
  // Masses end under "masa"; each record keeps its own precision; no stamp
  // leaves 26 blanks.
  EXPECT_EQ(printed[22], kMargin + "  7         45.2         76.7" + std::string(26, ' '));
  EXPECT_EQ(printed[25],
            kMargin + " 10        10.25       102.50      2024/01/31     12:34");
  EXPECT_EQ(printed[14].find("masa") + 4, printed[16].find("10.25") + 5);
  EXPECT_EQ(printed[26], "");
  ASSERT_EQ(Line(27).Runs.size(), 2u);
  EXPECT_EQ(Line(27).Runs[0].Text, kMargin);
  EXPECT_EQ(Line(27).Runs[0].Styles, kRegular);
  EXPECT_EQ(Line(27).Runs[1].Text, "koniec bilansu.");
  EXPECT_EQ(Line(27).Runs[1].Styles, FontStyles::ItalicOnly());
  ExpectConfirmed();
}

TEST_F(PrintoutsTest, DetailedWalkNeverPrintsLineZero) {
  const char* noRecords = "Brak pozycji bilansowych (waga nie pracuje w trybie \"bilansu\")!";
  host.Preview = {RecordLine(1, "1.00", "1.00")};
  BBdrukuj_szczbilansClick(host);
  ExpectRefused(noRecords);

  host.Boxes.Shown.clear();
  host.Preview = {RecordLine(1, "1.00", "1.00"), "", RecordLine(2, "2.00", "3.00")};
  BBdrukuj_szczbilansClick(host);
  const std::vector<std::string> printed = Printed();
  // The column header, an empty line, the one row of line 2, the closing.
  ASSERT_EQ(printed.size(), 10u + 2 + 2 + 1 + 1 + 1 + 2);
  EXPECT_EQ(printed[16].substr(0, 13), kMargin + "  2");
}

TEST_F(PrintoutsTest, DetailedWalkStopsAtTheLastText) {
  host.Preview = BalanceReport(2);
  host.Preview.push_back("ZERO");
  BBdrukuj_szczbilansClick(host);
  ExpectRefused("Brak pozycji bilansowych (waga nie pracuje w trybie \"bilansu\")!");

  // Empty lines after the text make a range without rows: the page still prints.
  host.Boxes.Shown.clear();
  host.Preview.push_back("");
  BBdrukuj_szczbilansClick(host);
  const std::vector<std::string> printed = Printed();
  ASSERT_EQ(printed.size(), 10u + 2 + 2 + 1 + 1 + 2);
  EXPECT_EQ(printed.back(), kMargin + "koniec bilansu.");
  ExpectConfirmed();
}

TEST_F(PrintoutsTest, DetailedRangeEndsAfterTheHead) {
  host.CompanyHeader = false;
  host.Preview = BalanceReport(2);
  host.Recording.OnOpen = [&] {
    host.Preview.push_back(RecordLine(3, "1.5", "22.0"));
    host.Preview[3] = "zmieniona linia";  // was the first record when the walk ran
  };
  BBdrukuj_szczbilansClick(host);
  const std::vector<std::string> printed = Printed();
  ASSERT_EQ(printed.size(), 5u + 2 + 2 + 2 + 1 + 1 + 3 + 2);
  EXPECT_EQ(printed[13], kMargin + "zmieniona linia");
  EXPECT_EQ(printed[14].substr(0, 13), kMargin + "  2");
  EXPECT_EQ(printed[15].substr(0, 13), kMargin + "  3");
}

TEST_F(PrintoutsTest, ReportOfAOneLinePreviewIsTheHeadAlone) {
  host.Preview = {"12.50 kg"};
  BBdrukujClick(host);
  const std::vector<std::string> expected = {
      "", "", "", "", "", kMargin + "<firma>", kMargin + "<adres>", "", kMargin,
      kDateLine, kTimeLine, ""};
  EXPECT_EQ(Printed(), expected);
  ExpectConfirmed();
}

TEST_F(PrintoutsTest, ReportCopiesLinesFromTheSecondOnWithoutGaps) {
  host.CompanyHeader = false;
  host.Preview = BalanceReport(2);
  host.Preview.insert(host.Preview.begin() + 3, "");
  host.Recording.OnOpen = [&] { host.Preview.push_back("w trakcie otwierania"); };
  host.Recording.OnLineEnded = [&](int line) {
    if (line == 9) host.Preview.push_back("po nagłówku");
  };
  BBdrukujClick(host);
  const std::vector<std::string> expected = {
      "", "", "", "", "", kMargin, kDateLine, kTimeLine, "",
      kMargin + "  BILANS WAZEN",
      kMargin + "  l.wazen    masa    suma",
      kMargin + RecordLine(1, "10.25", "10.25"),
      kMargin + RecordLine(2, "10.25", "20.50"),
      kMargin + "w trakcie otwierania"};
  EXPECT_EQ(Printed(), expected);
}

TEST_F(PrintoutsTest, PrinterFailureAbortsTheJobWithoutConfirmation) {
  host.Preview = BalanceReport(5);
  host.Recording.FailAtLine = 17;
  EXPECT_THROW(BBdrukuj_szczbilansClick(host), PrintError);
  EXPECT_TRUE(host.Recording.Aborted);
  EXPECT_FALSE(host.Recording.Closed);
  EXPECT_TRUE(host.Boxes.Shown.empty());
}

}  // namespace
