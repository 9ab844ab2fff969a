// The printouts through the QPrinter stream into PDF files, read back with
// pdftotext: Polish letters, column alignment, line wrapping and pages.

#include <QProcess>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "acquisition/text/clock.h"
#include "acquisition/text/win1250.h"
#include "balance/printouts.h"
#include "platform/qt_print_stream.h"
#include "tests/printing/balance_report_lines.h"
#include "tests/printing/fake_printout_host.h"

namespace {

struct Word {
  int Page;
  double XMin, YMin, XMax;
  QString Text;
};

QString RunPdfToText(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), arguments);
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// Every word of the file with its page (from 1) and box, in reading order.
std::vector<Word> PdfWords(const QString& pdf) {
  const QString html = RunPdfToText({QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  static const QRegularExpression tag(
      QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                     "yMax=\"[\\d.]+\">([^<]*)</word>"));
  std::vector<Word> words;
  int page = 0;
  for (auto match = tag.globalMatch(html); match.hasNext();) {
    const QRegularExpressionMatch m = match.next();
    if (m.captured(0).startsWith(QStringLiteral("<page"))) {
      ++page;
      continue;
    }
    words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                     m.captured(3).toDouble(), m.captured(4)});
  }
  return words;
}

// The words that stand on the same line as the first word `first`.
std::vector<Word> LineOf(const std::vector<Word>& words, const QString& first) {
  const auto start = std::find_if(words.begin(), words.end(),
                                  [&](const Word& w) { return w.Text == first; });
  std::vector<Word> line;
  if (start == words.end()) return line;
  for (const Word& w : words)
    if (w.Page == start->Page && std::abs(w.YMin - start->YMin) < 1) line.push_back(w);
  return line;
}

QString Spaceless(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); }

}  // namespace

class QtPrintStreamTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir.isValid());
    SetClock([] { return EncodeDateTime({2024, 1, 31, 12, 34, 56, 0}); });
    host = std::make_unique<FakePrintoutHost>();
    host->StreamFactory = [this] { return std::make_unique<QtPrintStream>(pdf.toStdString()); };
  }
  void cleanup() { SetClock({}); }

  void balanceValuesEndInOneColumn() {
    pdf = dir.filePath(QStringLiteral("bilans.pdf"));
    host->Name = Utf8ToCp1250("Młyn Żółć");
    host->Preview = BalanceReport(10);
    BBdrukuj_bilansClick(*host);

    const QString text = Spaceless(RunPdfToText({QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
    QVERIFY2(text.contains(QStringLiteral("MłynŻółć")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("BILANSWAŻEŃ")));
    QVERIFY(text.contains(QStringLiteral("Liczbaważeń:10")));
    QVERIFY(text.contains(QStringLiteral("Łącznamasa:102.50")));

    const std::vector<Word> words = PdfWords(pdf);
    const double end = LineOf(words, QStringLiteral("Data")).back().XMax;
    for (const char* first : {"Godzina", "Liczba", "Łączna"}) {
      const std::vector<Word> line = LineOf(words, QString::fromUtf8(first));
      QVERIFY2(!line.empty(), first);
      QVERIFY2(std::abs(line.back().XMax - end) < 0.5, first);
    }
  }

  void detailedMassesEndUnderTheirHead() {
    pdf = dir.filePath(QStringLiteral("szczegolowy.pdf"));
    host->Preview = BalanceReport(12);
    host->Preview.push_back(RecordLine(13, "7.5", "130.5"));
    BBdrukuj_szczbilansClick(*host);

    const QString text = Spaceless(RunPdfToText({QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
    QVERIFY(text.contains(QStringLiteral("SZCZEGÓŁOWYBILANSWAŻEŃ")));
    QVERIFY(text.contains(QStringLiteral("nr.waż.masałącznamasadzieńgodzina")));

    const std::vector<Word> words = PdfWords(pdf);
    const double massEnd = LineOf(words, QStringLiteral("nr.waż.")).at(1).XMax;
    for (const char* number : {"1", "10", "13"}) {
      const std::vector<Word> row = LineOf(words, QString::fromLatin1(number));
      QCOMPARE(row.size(), 5u);
      QVERIFY2(std::abs(row[1].XMax - massEnd) < 0.5, number);
    }
  }

  void longReportWrapsAndGoesOnToNewPages() {
    pdf = dir.filePath(QStringLiteral("raport.pdf"));
    host->Preview = {"pierwsza"};
    for (int n = 1; n <= 120; ++n) host->Preview.push_back("wiersz-" + std::to_string(n));
    const std::string digits = "0123456789";
    std::string longLine;
    for (int i = 0; i < 12; ++i) longLine += digits;
    host->Preview.insert(host->Preview.begin() + 2, longLine);
    BBdrukujClick(*host);

    const std::vector<Word> words = PdfWords(pdf);
    QVERIFY(!words.empty());
    QVERIFY(words.back().Page >= 2);
    QCOMPARE(words.back().Text, QStringLiteral("wiersz-120"));
    for (const Word& w : words) QVERIFY2(w.Page == 1 || w.Text != "wydruku:", "head repeated");
    QCOMPARE(std::count_if(words.begin(), words.end(),
                           [](const Word& w) { return w.Text == QStringLiteral("wiersz-60"); }),
             1);

    // Cut after the last character that fits; the rest starts at the left edge.
    const auto first = std::find_if(words.begin(), words.end(),
                                    [](const Word& w) { return w.Text.startsWith("0123"); });
    QVERIFY(first != words.end() && first + 1 != words.end());
    const Word& rest = *(first + 1);
    QCOMPARE(first->Text + rest.Text, QString::fromStdString(longLine));
    QVERIFY(rest.YMin > first->YMin);
    QVERIFY(rest.XMin < first->XMin / 5);
    QVERIFY(first->Text.size() > 50);
  }

  void streamThatCannotStartReportsAnOpenError() {
    pdf = dir.filePath(QStringLiteral("brak/katalogu/raport.pdf"));
    host->Preview = {"a", "b"};
    BBdrukujClick(*host);
    QCOMPARE(host->Boxes.Shown.size(), 1u);
    QCOMPARE(host->Boxes.Shown[0].Kind, MessageKind::Error);

    if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this machine has a default printer");
    QtPrintStream printer;
    QCOMPARE(printer.Open(), QtPrintStream::kNoDefaultPrinter);
  }

 private:
  QTemporaryDir dir;
  QString pdf;
  std::unique_ptr<FakePrintoutHost> host;
};

QTEST_MAIN(QtPrintStreamTest)
#include "qt_print_stream_test.moc"
