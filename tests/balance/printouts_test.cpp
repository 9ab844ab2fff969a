// The three print commands on a recording stream: checks, messages, page
// layout with styles (<b>, <i>, <u> marks), and when the preview is read.

#include <gtest/gtest.h>

#include "text/clock.h"
#include "text/win1250.h"
#include "balance/printouts.h"
#include "tests/balance/fake_printout_host.h"

namespace {

using Lines = std::vector<std::string>;
std::string W(const char* utf8) { return Utf8ToCp1250(utf8); }
const std::string M(10, ' ');  // the margin
const char* kNoBalance = "Waga nie pracuje w trybie \"bilansu\"!";
const char* kNoRecords = "Brak pozycji bilansowych (waga nie pracuje w trybie \"bilansu\")!";

// Top margin, company header, title line and date and time; the balance
// printouts' title is underlined and followed by an empty line.
Lines Head(bool company, const char* title) {
  Lines head(5, "");
  if (company) head.insert(head.end(), {"<i>" + M + "<firma></i>", "<i>" + M + "<adres></i>", ""});
  head.push_back(M + (*title ? "<u>" + W(title) + "</u>" : ""));
  if (*title) head.push_back("");
  head.push_back(M + "Data wydruku:         2024/01/31");
  head.push_back(M + "Godzina wydruku:        12:34.56");
  return head;
}
Lines operator+(Lines a, const Lines& b) { a.insert(a.end(), b.begin(), b.end()); return a; }

class PrintoutsTest : public testing::Test {
 protected:
  void SetUp() override { SetClock([] { return EncodeDateTime({2024, 1, 31, 12, 34, 56, 0}); }); }
  void TearDown() override { SetClock({}); }

  Lines Printed() const { return host.Recording.MarkedTexts(); }
  void ExpectOnlyMessage(MessageKind kind, const char* utf8) {
    EXPECT_EQ(host.Boxes.messages, (std::vector<ScriptedDialogs::Message>{{kind, W(utf8)}}));
    EXPECT_EQ(host.Recording.Opened, kind == MessageKind::Information);
    host.Boxes.messages.clear();
  }
  void ExpectPrinted() { ExpectOnlyMessage(MessageKind::Information, "Informację o bilansie skierowano na drukarkę."); }

  FakePrintoutHost host;
};

TEST_F(PrintoutsTest, BalanceOfTheLastRecordEndsInColumn42) {
  host.preview = BalanceReport(10) + Lines{"", ""};
  BBdrukuj_bilansClick(host);
  EXPECT_EQ(Printed(), (Head(true, "B I L A N S    W A Ż E Ń") +
                           Lines{M + W("Liczba ważeń: ") + "<b>                10</b>",
                                 M + W("Łączna masa: ") + "<b>             102.50</b>"}));
  const Lines texts = host.Recording.Texts();
  for (std::size_t i = texts.size() - 4; i < texts.size(); ++i) EXPECT_EQ(texts[i].size(), 42u) << i;
  EXPECT_EQ(host.Recording.FontName, "Courier New");
  EXPECT_EQ(host.Recording.FontSize, 13);
  ExpectPrinted();
}

TEST_F(PrintoutsTest, BalanceWithoutCompanyHeaderReadBeforeTheJobOpens) {
  host.CompanyHeader = false;
  host.preview = {"", RecordLine(1, "45.235", "45.235", false)};
  host.Recording.OnOpen = [&] { host.preview.push_back(RecordLine(2, "1.5", "46.7")); };
  BBdrukuj_bilansClick(host);
  EXPECT_EQ(Printed(), (Head(false, "B I L A N S    W A Ż E Ń") +
                           Lines{M + W("Liczba ważeń: ") + "<b>                 1</b>",
                                 M + W("Łączna masa: ") + "<b>             45.235</b>"}));
}

TEST_F(PrintoutsTest, RefusalsPrintNothing) {
  BBdrukujClick(host);
  ExpectOnlyMessage(MessageKind::Error, "Brak informacji o \"bilansie\" (okno z raportami jest puste)!");
  host.preview = BalanceReport(3) + Lines{"  BILANS WAZEN", ""};
  BBdrukuj_bilansClick(host);
  ExpectOnlyMessage(MessageKind::Error, kNoBalance);
  host.preview = {"", ""};
  BBdrukuj_bilansClick(host);
  ExpectOnlyMessage(MessageKind::Error, kNoBalance);
  host.preview = {RecordLine(1, "1.00", "1.00")};  // line 0 is never a row
  BBdrukuj_szczbilansClick(host);
  ExpectOnlyMessage(MessageKind::Error, kNoRecords);
  host.preview = BalanceReport(2) + Lines{"ZERO"};
  BBdrukuj_szczbilansClick(host);
  ExpectOnlyMessage(MessageKind::Error, kNoRecords);
  host.Recording.OpenResult = 5;
  BBdrukujClick(host);
  ExpectOnlyMessage(MessageKind::Error,
                    "Błąd przy otwieraniu strumienia wydruku!\rSprawdź konfigurację drukarki w Windows.");
}

const std::string kColumns = W("          nr.waż.     masa    łączna masa       dzień      godzina");
const Lines kClosing = {"", M + "<i>koniec bilansu.</i>"};

TEST_F(PrintoutsTest, DetailedRowsOfTheFinalRunWithOwnPrecision) {
  host.preview = BalanceReport(3) + Lines{"", RecordLine(4, "45.2", "76.7", false), ""};
  BBdrukuj_szczbilansClick(host);
  EXPECT_EQ(Printed(), (Head(true, "S Z C Z E G Ó Ł O W Y    B I L A N S    W A Ż E Ń") +
                           Lines{"", "", kColumns, "",
                                 M + "  1        10.25        10.25      2024/01/31     12:34",
                                 M + "  2        10.25        20.50      2024/01/31     12:34",
                                 M + "  3        10.25        30.75      2024/01/31     12:34",
                                 M + "  4         45.2         76.7" + std::string(26, ' ')} +
                           kClosing));
  ExpectPrinted();
}

TEST_F(PrintoutsTest, DetailedWalkFromLineZeroAndOverATrailingText) {
  host.CompanyHeader = false;
  host.preview = {RecordLine(1, "1.00", "1.00"), "", RecordLine(2, "2.00", "3.00", false)};
  BBdrukuj_szczbilansClick(host);
  const Lines head = Head(false, "S Z C Z E G Ó Ł O W Y    B I L A N S    W A Ż E Ń") +
                     Lines{"", "", kColumns, ""};
  EXPECT_EQ(Printed(), (head + Lines{M + "  2         2.00         3.00" + std::string(26, ' ')} + kClosing));

  // Empty lines after a text make a range without rows.
  host.Recording = {};
  host.Boxes.messages.clear();
  host.preview = BalanceReport(2) + Lines{"ZERO", ""};
  BBdrukuj_szczbilansClick(host);
  EXPECT_EQ(Printed(), (head + kClosing));
}

TEST_F(PrintoutsTest, DetailedRangeEndsAfterTheHead) {
  host.preview = BalanceReport(1);
  host.Recording.OnOpen = [&] {
    host.preview.push_back(RecordLine(2, "1.50", "11.75"));
    host.preview[3] = "zmieniona";  // the record of the walk is gone; the text prints as is
  };
  BBdrukuj_szczbilansClick(host);
  const Lines printed = host.Recording.Texts();
  ASSERT_EQ(printed.size(), 20u);
  EXPECT_EQ(printed[16], M + "zmieniona");
  EXPECT_EQ(printed[17], M + "  2         1.50        11.75      2024/01/31     12:34");
}

TEST_F(PrintoutsTest, ReportCopiesTheLinesAfterTheFirstTakenAfterTheHead) {
  host.preview = {"12.50 kg"};
  BBdrukujClick(host);
  EXPECT_EQ(Printed(), (Head(true, "") + Lines{""}));
  ExpectPrinted();

  host.Recording = {};
  host.CompanyHeader = false;
  host.preview = {"", "  BILANS WAZEN", "", RecordLine(1, "10.25", "10.25")};
  host.Recording.OnOpen = [&] { host.preview.push_back("w trakcie"); };
  host.Recording.OnLineEnded = [&](int line) { if (line == 9) host.preview.push_back("za późno"); };
  BBdrukujClick(host);
  EXPECT_EQ(Printed(), (Head(false, "") + Lines{"", M + "  BILANS WAZEN",
                                             M + RecordLine(1, "10.25", "10.25"), M + "w trakcie"}));
}

TEST_F(PrintoutsTest, PrinterFailureAbortsTheJobWithoutConfirmation) {
  host.preview = BalanceReport(5);
  host.Recording.FailAtLine = 17;
  EXPECT_THROW(BBdrukuj_szczbilansClick(host), PrintError);
  EXPECT_TRUE(host.Recording.Aborted);
  EXPECT_FALSE(host.Recording.Closed);
  EXPECT_TRUE(host.Boxes.messages.empty());
}

}  // namespace
