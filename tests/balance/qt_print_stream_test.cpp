// The printouts through the QPrinter stream into PDF files, read back with
// pdftotext: Polish letters, column alignment, line wrapping and pages.

#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "text/clock.h"
#include "text/win1250.h"
#include "balance/printouts.h"
#include "platform/qt_print_stream.h"
#include "tests/balance/fake_printout_host.h"

namespace {

struct Word {
  int Page;
  double XMin, YMin, XMax;
  QString Text;
};

// pdftotext's output; with -layout the blanks and line ends are left out.
QString PdfToText(const QStringList& options, const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
  const QString text = QString::fromUtf8(process.readAllStandardOutput());
  return options.contains("-layout") ? QString(text).remove(QRegularExpression("[ \n]")) : text;
}

// Every word with its page (from 1) and box, in reading order.
std::vector<Word> PdfWords(const QString& pdf) {
  static const QRegularExpression tag(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
  std::vector<Word> words;
  int page = 0;
  for (auto it = tag.globalMatch(PdfToText({"-bbox"}, pdf)); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (m.captured(4).isNull()) ++page;
    else words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4)});
  }
  return words;
}

// The words on the line of the first word that is `first`.
std::vector<Word> LineOf(const std::vector<Word>& words, const QString& first) {
  std::vector<Word> line;
  for (const Word& start : words)
    if (start.Text == first) {
      for (const Word& w : words)
        if (w.Page == start.Page && qAbs(w.YMin - start.YMin) < 1) line.push_back(w);
      break;
    }
  return line;
}

}  // namespace

class QtPrintStreamTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    SetClock([] { return EncodeDateTime({2024, 1, 31, 12, 34, 56, 0}); });
    host = std::make_unique<FakePrintoutHost>();
    host->StreamFactory = [this] { return std::make_unique<QtPrintStream>(pdf.toStdString()); };
  }
  void cleanup() { SetClock({}); }

  void balanceValuesEndInOneColumn() {
    pdf = dir.filePath("bilans.pdf");
    host->Name = Utf8ToCp1250("Młyn Żółć");
    host->preview = BalanceReport(10);
    BBdrukuj_bilansClick(*host);
    const QString text = PdfToText({"-layout"}, pdf);
    QVERIFY2(text.contains("MłynŻółć") && text.contains("BILANSWAŻEŃ"), qPrintable(text));

    const std::vector<Word> words = PdfWords(pdf);
    QVERIFY(!LineOf(words, "Data").empty());
    const double end = LineOf(words, "Data").back().XMax;
    for (const QString& first : {QString("Godzina"), QString("Liczba"), QString("Łączna")}) {
      QVERIFY2(qAbs(LineOf(words, first).back().XMax - end) < 0.5, qPrintable(first));
    }
  }

  void detailedMassesEndUnderTheirHead() {
    pdf = dir.filePath("szczegolowy.pdf");
    host->preview = BalanceReport(12);
    host->preview.push_back(RecordLine(13, "7.5", "130.5"));
    BBdrukuj_szczbilansClick(*host);
    QVERIFY(PdfToText({"-layout"}, pdf).contains("SZCZEGÓŁOWYBILANSWAŻEŃ"));

    const std::vector<Word> words = PdfWords(pdf);
    QVERIFY(LineOf(words, "nr.waż.").size() > 1);
    const double massEnd = LineOf(words, "nr.waż.")[1].XMax;
    for (const char* number : {"1", "10", "13"}) {
      const std::vector<Word> row = LineOf(words, number);
      QCOMPARE(row.size(), 5u);
      QVERIFY2(qAbs(row[1].XMax - massEnd) < 0.5, number);
    }
  }

  void longReportWrapsAndGoesOnToNewPages() {
    pdf = dir.filePath("raport.pdf");
    std::string longLine;
    for (int i = 0; i < 12; ++i) longLine += "0123456789";
    host->preview = {"pierwsza", "wiersz-0", longLine};
    for (int n = 1; n <= 120; ++n) host->preview.push_back("wiersz-" + std::to_string(n));
    BBdrukujClick(*host);

    const std::vector<Word> words = PdfWords(pdf);
    QVERIFY(words.size() > 3 && words.back().Page >= 2);
    QCOMPARE(words.back().Text, "wiersz-120");
    QCOMPARE(std::count_if(words.begin(), words.end(), [](const Word& w) { return w.Text == "wydruku:"; }), 2);
    QCOMPARE(std::count_if(words.begin(), words.end(), [](const Word& w) { return w.Text == "wiersz-60"; }), 1);
    // Cut after the last character that fits; the rest starts at the left edge.
    const auto cut = std::find_if(words.begin(), words.end(), [](const Word& w) { return w.Text.startsWith("0123"); });
    QVERIFY(cut != words.end() && cut->Page == 1 && cut->Text.size() > 50);
    QCOMPARE(cut->Text + (cut + 1)->Text, QString::fromStdString(longLine));
    QVERIFY((cut + 1)->YMin > cut->YMin && (cut + 1)->XMin < cut->XMin / 5);
  }

  void streamThatCannotStartReturnsAnErrorCode() {
    QCOMPARE(QtPrintStream("/brak/katalogu/raport.pdf").Open(), QtPrintStream::kCannotStartJob);
    if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this machine has a default printer");
    QCOMPARE(QtPrintStream().Open(), QtPrintStream::kNoDefaultPrinter);
  }

 private:
  QTemporaryDir dir;
  QString pdf;
  std::unique_ptr<FakePrintoutHost> host;
};

QTEST_MAIN(QtPrintStreamTest)
#include "qt_print_stream_test.moc"
