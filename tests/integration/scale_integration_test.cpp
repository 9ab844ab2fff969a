#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "text/win1250.h"
#include "app/form1.h"
#include "app/preview_lines.h"
#include "protocols/scale_protocol.h"
#include "tests/support/printing/recording_print_stream.h"
#include "tests/support/ui/window_bench.h"

namespace {

constexpr int kWaitMs = 10000;
const char kConnected[] = "port COM2, 1200bps";

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The preview as the window's own readers see it, lines waiting for the next
// screen frame included.
std::vector<std::string> PreviewLines(const QPlainTextEdit& memo) {
  std::vector<std::string> lines;
  for (int i = 0; i < PreviewLineCount(memo); ++i) lines.push_back(PreviewLine(memo, i));
  return lines;
}

std::vector<std::string> SplitCrLf(const QByteArray& bytes) {
  std::vector<std::string> lines;
  for (const QByteArray& line : bytes.split('\n')) lines.push_back(line.toStdString());
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

// The scale simulator on a pseudo-terminal that porty.ini of `dir` maps to
// COM2; stopped with SIGTERM when the object goes. It runs its script once at
// full speed, or, as a stream, again and again at 1200 bit/s.
class Simulator {
 public:
  enum Mode { Once, Stream };

  Simulator(const QString& dir, const QString& script, Mode mode = Once, const QStringList& more = {}) {
    const bool once = mode == Once;
    process_.setProgram(QStringLiteral(WAGA_SIM_PATH));
    process_.setArguments(QStringList{QStringLiteral("--porty-ini"), dir, QStringLiteral("--baud"),
                           QString::number(once ? 0 : 1200), QStringLiteral("--repeat"),
                           QString::number(once ? 1 : 0), QStringLiteral("--log"),
                           dir + QStringLiteral("/sent.bin"), QStringLiteral("--script"), script} +
                          more);
    process_.start();
    // The path is printed once porty.ini is written.
    while (!process_.canReadLine() && process_.waitForReadyRead(kWaitMs)) {
    }
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  }
  ~Simulator() {
    process_.terminate();
    if (!process_.waitForFinished(kWaitMs)) process_.kill();
  }
  const QString& Path() const { return path_; }

 private:
  QProcess process_;
  QString path_;
};

}  // namespace

class ScaleIntegrationTest : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;
  std::vector<std::unique_ptr<PrintRecording>> printJobs_;
  std::vector<std::string> exceptions_;
  int failAtLine_ = -1;  // EndLine of this line of the next job throws
  const TDateTime startTime_ = EncodeDateTime({2026, 12, 7, 9, 15, 30, 0});

  TForm1Environment Environment() {
    TForm1Environment environment = bench_.Environment();
    environment.printStream = [this] {
      printJobs_.push_back(std::make_unique<PrintRecording>());
      printJobs_.back()->FailAtLine = failAtLine_;
      return std::make_unique<RecordingPrintStream>(*printJobs_.back());
    };
    environment.showException = [this](const std::string& message) {
      exceptions_.push_back(message);
    };
    return environment;
  }

 private slots:
  void init() {
    bench_ = WindowBench();
    printJobs_.clear();
    exceptions_.clear();
    failAtLine_ = -1;
    SetClock([this] { return startTime_; });
  }

  void cleanup() { SetClock({}); }

  // Readings and a balance report travel from the simulator through the
  // terminal into the display, the preview, the data file and a printout.
  void scaleOutputReachesDisplayPreviewDataFileAndPrintout() {
    QVERIFY(WriteFile(bench_.WorkFile("konfig.ini"), "Zapisuj_display=1\r\n"));
    Simulator sim(bench_.work->path(), QStringLiteral("text:  12.50,balance:2,text:  7.25"));
    QVERIFY(sim.Path().startsWith(QStringLiteral("/dev/")));
    TForm1 form(Environment());
    QCOMPARE(form.StatusPanel(1)->text(), QString::fromLatin1(kConnected));
    QVERIFY(form.StatusPanel(1)->toolTip().startsWith(QStringLiteral("COM2 → ") + sim.Path()));

    QTRY_COMPARE_WITH_TIMEOUT(form.Ldisplay()->text(), QStringLiteral("7.25"), kWaitMs);
    const std::vector<std::string> sent = SplitCrLf(ReadFile(bench_.WorkFile("sent.bin")));
    QCOMPARE(sent.size(), std::size_t{7});
    const QRegularExpression record(QStringLiteral("^00[12] +[0-9]+\\.[0-9]{2} kg +([0-9]+\\.[0-9]{2}) kg$"));
    QVERIFY(record.match(QString::fromStdString(sent[4])).hasMatch());
    const QRegularExpressionMatch last = record.match(QString::fromStdString(sent[5]));
    QVERIFY(last.hasMatch());

    const std::string stamp = "    2026/12/07  09:15";
    const std::vector<std::string> preview{"", "  BILANS WAZEN", "  l.wazen    masa    suma",
                                           sent[4] + stamp, sent[5] + stamp};
    QCOMPARE(PreviewLines(*form.Mraport()), preview);
    std::string file = "  12.50\r\n";
    for (const std::string& line : preview) file += line + "\r\n";
    file += "  7.25\r\n";
    QCOMPARE(ReadFile(bench_.WorkFile("20261207")).toStdString(), file);

    form.BBdrukuj_bilansClick();
    QCOMPARE(printJobs_.size(), std::size_t{1});
    QVERIFY(printJobs_[0]->Closed);
    const std::vector<std::string> printed = printJobs_[0]->Texts();
    const std::string total = last.captured(1).toStdString();
    const auto has = [&printed](const std::string& line) {
      return std::find(printed.begin(), printed.end(), line) != printed.end();
    };
    QVERIFY(has(Utf8ToCp1250("          Liczba ważeń: ") + std::string(17, ' ') + "2"));
    QVERIFY(has(Utf8ToCp1250("          Łączna masa: ") + std::string(19 - total.size(), ' ') + total));
    QCOMPARE(bench_.dialogs.log.back(),
             "message:" + Utf8ToCp1250("Informację o bilansie skierowano na drukarkę."));
    QVERIFY(exceptions_.empty());
  }

  void weighingsAreRecordedByThemselvesFromStableReadings_data() {
    QTest::addColumn<QStringList>("motion");
    QTest::newRow("stable") << QStringList{};
    QTest::newRow("in motion") << QStringList{QStringLiteral("--motion"), QStringLiteral("1")};
  }

  // Automatic recording from 1 kg: a load on (two stable readings), off,
  // on again gives two weighings of the first reading of each load; readings
  // in motion give none.
  void weighingsAreRecordedByThemselvesFromStableReadings() {
    QFETCH(QStringList, motion);
    QVERIFY(WriteFile(bench_.WorkFile("protokol.ini"), "[COM2]\r\nProtokol=si\r\nAutomatycznie_od=1\r\n"));
    const QString zero = QStringLiteral("text:S S       0.00 kg,");
    Simulator sim(bench_.work->path(), zero + "reading:2," + zero + "reading:2,text:koniec", Simulator::Once,
                  QStringList{QStringLiteral("--protocol"), QStringLiteral("si")} + motion);
    TForm1 form(Environment());
    QTRY_VERIFY_WITH_TIMEOUT(!PreviewLines(*form.Mraport()).empty() &&
                                 PreviewLines(*form.Mraport()).back() == "koniec", kWaitMs);
    QCoreApplication::processEvents();  // the weighings wait for the end of their delivery
    std::vector<std::string> expected;
    const std::vector<std::string> sent = SplitCrLf(ReadFile(bench_.WorkFile("sent.bin")));
    for (std::size_t i = 1; i < sent.size(); ++i) {
      const ClassifiedLine line = ClassifyLine(ProtocolId::Si, sent[i]);
      if (sent[i - 1].find(" 0.00 kg") != std::string::npos && line.reading.stability == Stability::Stable)
        expected.push_back(line.reading.value);
    }
    QCOMPARE(expected.size(), motion.isEmpty() ? std::size_t{2} : std::size_t{0});
    std::vector<std::string> masses;
    for (const std::string& line : PreviewLines(*form.Mraport())) {
      std::string number, mass;
      if (line.rfind("00", 0) == 0 && std::istringstream(line) >> number >> mass) masses.push_back(mass);
    }
    QCOMPARE(masses, expected);
  }

  // F2 and the buttons without a scale: the reading shown is set by hand.
  // The series reaches preview and data file, a restart shows it again and
  // goes on, the threshold is kept in protokol.ini.
  void weighingKeysWriteTheSeriesAndARestartGoesOn() {
    const std::vector<std::string> series{"  BILANS WAZEN (komputer)", "  l.wazen    masa    suma",
                                          "001     45.23 kg     45.23 kg    2026/12/07  09:15",
                                          "002     10.00 kg     55.23 kg    2026/12/07  09:15"};
    {
      TForm1 form(Environment());
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      form.Bzapiszwazenie()->click();
      QCOMPARE(form.WeighingStatus()->text(), QString::fromUtf8("Brak odczytu z wagi – ważenie nie zapisane."));
      for (const char* value : {"45.23", "10.00"}) {
        form.Acquisition().ShownReading = ScaleReading{value, std::stod(value), 2, "", Stability::Stable, {}};
        QTest::keyClick(&form, Qt::Key_F2);
      }
      QCOMPARE(PreviewLines(*form.Mraport()), series);
      form.Eautomatycznie()->setText(QStringLiteral("2,5"));
      form.CBautomatycznie()->click();
    }
    QCOMPARE(SplitCrLf(ReadFile(bench_.WorkFile("20261207"))), series);
    TForm1 restarted(Environment());
    QCOMPARE(PreviewLines(*restarted.Mraport()), series);
    QCOMPARE(restarted.Weighings().AutoThreshold(), 2.5);
    QCOMPARE(restarted.WeighingStatus()->text(), QString::fromUtf8("Bilans w toku: następne ważenie nr 3."));
    restarted.Bzakonczbilans()->click();
    QCOMPARE(PreviewLines(*restarted.Mraport()).back(), std::string());
    QCOMPARE(restarted.Weighings().NextNumber(), 1);
  }

  void burstReachesPreviewDisplayAndDataFileWhole_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("dropFirst");
    QTest::newRow("300, kasuj początek") << 300 << true;
    QTest::newRow("300, wyczyść całość") << 300 << false;
    QTest::newRow("5000, kasuj początek") << 5000 << true;
    QTest::newRow("5000, wyczyść całość") << 5000 << false;
  }

  // Thousands of lines back to back: the memo takes them in screen frames,
  // yet ends with exactly the lines the limit leaves, the display with the
  // last reading and the data file with every line once, in order.
  void burstReachesPreviewDisplayAndDataFileWhole() {
    QFETCH(int, limit);
    QFETCH(bool, dropFirst);
    const QByteArray konfig = "Zapisuj_display=1\r\nWyswietlaj_display=1\r\nDodaj_date_bilansu=0\r\n"
                              "Maksym_ilosc_lini=" + QByteArray::number(limit) +
                              "\r\nKasuj_poczatek=" + (dropFirst ? "1" : "0") + "\r\n";
    QVERIFY(WriteFile(bench_.WorkFile("konfig.ini"), konfig));
    Simulator sim(bench_.work->path(), QStringLiteral("burst:6000,balance:20,text:  7.25"));
    TForm1 form(Environment());
    QTRY_COMPARE_WITH_TIMEOUT(form.Ldisplay()->text(), QStringLiteral("7.25"), kWaitMs);

    const QByteArray sent = ReadFile(bench_.WorkFile("sent.bin"));
    const std::vector<std::string> lines = SplitCrLf(sent);
    QCOMPARE(lines.size(), std::size_t{6000 + 23 + 1});
    std::vector<std::string> preview;
    for (const std::string& line : lines) {
      if (static_cast<int>(preview.size()) >= limit) {
        if (dropFirst) {
          preview.erase(preview.begin());
        } else {
          preview.clear();
        }
      }
      preview.push_back(line);
    }
    QCOMPARE(preview.size(), std::size_t(dropFirst ? limit : (6024 - 1) % limit + 1));
    // The memo itself catches up when its frame ends, without being asked.
    QTRY_COMPARE_WITH_TIMEOUT(SplitCrLf(form.Mraport()->toPlainText().toLatin1()), preview,
                              kWaitMs);
    QCOMPARE(PreviewLines(*form.Mraport()), preview);
    QTRY_COMPARE_WITH_TIMEOUT(ReadFile(bench_.WorkFile("20261207")), sent, kWaitMs);
    QCOMPARE(form.Ldisplay()->text(), QStringLiteral("7.25"));
  }

  void missingPortIsReportedInTheStatusPanel() {
    QVERIFY(WriteFile(bench_.WorkFile("porty.ini"), "COM2=" + bench_.WorkFile("no-such-port").toLocal8Bit() + "\n"));
    TForm1 form(Environment());
    const QString failure = QString::fromUtf8("brak połączenia! (port COM2, 1200bps)");
    QCOMPARE(form.StatusPanel(1)->text(), failure);
    QVERIFY(form.StatusPanel(1)->toolTip().contains(bench_.WorkFile("no-such-port") +
                                                    QStringLiteral(" nie istnieje")));
    form.Timer1Timer();
    QCOMPARE(form.StatusPanel(1)->text(), failure);
    QVERIFY(!form.ComPortDriver_in().Connected());
    QCOMPARE(form.Ldisplay()->text(), QStringLiteral("- - - - -"));
    QVERIFY(bench_.dialogs.log.empty());
  }

  // The box opens after the delivery that met the failure has returned:
  // lines keep arriving while it is open, and a supervision tick during it
  // closes and reopens the port at once.
  void dataFileFailureIsShownOnceAfterTheDelivery() {
    Simulator sim(bench_.work->path(), QStringLiteral("text:first line,text:second line"),
                  Simulator::Stream);
    TForm1 form(Environment());
    form.Enazwapliku()->setText(QStringLiteral("/dev/full"));
    const auto lines = [&form] { return PreviewLineCount(*form.Mraport()); };
    QString panelDuringBox;
    bool linesCameDuringBox = false;
    bench_.dialogs.whileShown = [&] {
      form.Ldisplay()->setText(QStringLiteral("- - - - -"));
      form.Timer1Timer();
      panelDuringBox = form.StatusPanel(1)->text();
      const int shown = lines();
      linesCameDuringBox = QTest::qWaitFor([&] { return lines() >= shown + 2; }, kWaitMs);
    };

    QTRY_COMPARE_WITH_TIMEOUT(bench_.dialogs.messages.size(), std::size_t{1}, kWaitMs);
    QVERIFY(linesCameDuringBox);
    QCOMPARE(panelDuringBox, QString::fromLatin1(kConnected));
    const int afterBox = lines();
    QTRY_VERIFY_WITH_TIMEOUT(lines() >= afterBox + 2, kWaitMs);
    QCOMPARE(bench_.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.messages[0].kind, MessageKind::Error);
    QCOMPARE(bench_.dialogs.messages[0].text,
             Utf8ToCp1250("Błąd zapisu do pliku! Prawdopodobnie brak miejsca na dysku!"));
    QVERIFY(!form.CBzapis()->isChecked());
    QCOMPARE(PreviewLine(*form.Mraport(), 0), std::string("first line"));
  }

  // The preview keeps every byte of a line and counts an empty line as one;
  // a last line typed without a break is a line too.
  void previewHoldsLinesAsReceived() {
    QPlainTextEdit memo;
    QCOMPARE(PreviewLineCount(memo), 0);
    AddPreviewLine(memo, "");
    QCOMPARE(PreviewLineCount(memo), 1);
    const std::string odd("a\0b\x81\x98\x0b\xa5 ", 8);
    AddPreviewLine(memo, odd);
    QCOMPARE(PreviewLine(memo, 1), odd);
    QCOMPARE(PreviewLine(memo, 2), std::string());
    DeleteFirstPreviewLine(memo);
    QCOMPARE(PreviewLineCount(memo), 1);
    memo.moveCursor(QTextCursor::End);
    memo.insertPlainText(QStringLiteral("typed"));
    QCOMPARE(PreviewLineCount(memo), 2);
    AddPreviewLine(memo, "next");
    QCOMPARE(memo.toPlainText().toLatin1().right(11), QByteArray("typed\nnext\n"));
    DeleteFirstPreviewLine(memo);
    DeleteFirstPreviewLine(memo);
    QCOMPARE(PreviewLine(memo, 0), std::string("next"));
    DeleteFirstPreviewLine(memo);
    QCOMPARE(PreviewLineCount(memo), 0);
  }

  // A printer failure ends the job and reaches the exception display, and
  // the window goes on: the next print command works.
  void printerFailureReachesTheExceptionDisplay() {
    QVERIFY(WriteFile(bench_.WorkFile("porty.ini"), "COM2=" + bench_.WorkFile("no-such-port").toLocal8Bit() + "\n"));
    TForm1 form(Environment());
    form.Mraport()->setPlainText(QStringLiteral("a\nb\nc\n"));
    failAtLine_ = 8;
    form.BBdrukujClick();
    QCOMPARE(printJobs_.size(), std::size_t{1});
    QVERIFY(printJobs_[0]->Aborted);
    QVERIFY(!printJobs_[0]->Closed);
    QCOMPARE(exceptions_, std::vector<std::string>{"printer out of paper"});
    QVERIFY(bench_.dialogs.log.empty());

    failAtLine_ = -1;
    form.BBdrukujClick();
    QCOMPARE(printJobs_.size(), std::size_t{2});
    QVERIFY(printJobs_[1]->Closed);
    QCOMPARE(exceptions_.size(), std::size_t{1});
    QCOMPARE(bench_.dialogs.log.size(), std::size_t{1});
  }
};

QTEST_MAIN(ScaleIntegrationTest)
#include "scale_integration_test.moc"
