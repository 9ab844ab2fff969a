// The program on a scale behind ser2net: readings arrive over the network,
// a stopped server is a lost connection that the supervision restores by
// itself, and no line is lost or doubled on the way.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "text/clock.h"
#include "app/form1.h"
#include "tests/serial/net/ser2net_server.h"
#include "tests/support/ui/window_bench.h"

namespace {

constexpr int kWaitMs = 20000;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

class NetSupervisionTest : public QObject {
  Q_OBJECT

 private:
  WindowBench bench_;

  TForm1Environment Environment() {
    TForm1Environment environment = bench_.Environment();
    environment.showException = [](const std::string& message) { QFAIL(message.c_str()); };
    return environment;
  }

  void WritePortMap(const std::string& line) {
    std::ofstream(bench_.work->filePath(QStringLiteral("porty.ini")).toStdString()) << "COM2=" << line << "\r\n";
  }

 private slots:
  void init() {
    bench_ = WindowBench();
  }

  void linesSurviveAServerRestartOnceEach() {
    ser2net_test::Ser2netServer server;
    std::string why;
    if (!server.Create(why)) QSKIP(("skipped, no ser2net to test against: " + why).c_str());
    WritePortMap("rfc2217://127.0.0.1:" + std::to_string(server.telnetPort));

    TForm1 form(Environment());
    const QString connected = QStringLiteral("port COM2, 1200bps");
    QCOMPARE(form.StatusPanel(1)->text(), connected);
    const auto preview = [&form] { return form.Mraport()->toPlainText(); };
    // The connection is up only once the server has set the pty's line.
    QTRY_COMPARE_WITH_TIMEOUT(server.Rate(), speed_t{B1200}, kWaitMs);
    QVERIFY(server.Send("waga 1\r\nwaga 2\r\nwaga 3\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(preview(), QStringLiteral("waga 1\nwaga 2\nwaga 3\n"), kWaitMs);

    server.Stop();
    QTRY_COMPARE_WITH_TIMEOUT(form.StatusPanel(1)->text(), Utf8("brak połączenia! (port COM2, 1200bps)"),
                              kWaitMs);
    QVERIFY(form.StatusPanel(1)->toolTip().contains(QStringLiteral("(win error code: 111)")));
    QCOMPARE(form.Ldisplay()->text(), QStringLiteral("- - - - -"));

    QVERIFY(server.Start());
    QTRY_COMPARE_WITH_TIMEOUT(form.StatusPanel(1)->text(), connected, kWaitMs);
    QVERIFY(!form.StatusPanel(1)->toolTip().contains(QStringLiteral("111")));
    QVERIFY(server.Send("waga 4\r\n  12.50\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(form.Ldisplay()->text(), QStringLiteral("12.50"), kWaitMs);
    QCOMPARE(preview(), QStringLiteral("waga 1\nwaga 2\nwaga 3\nwaga 4\n"));
    QVERIFY(bench_.dialogs.log.empty());
  }

  // For a network port and a local device alike.
  void aMalformedLineFormatIsExplainedInTheTooltip_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("network") << QStringLiteral("rfc2217://127.0.0.1:1 7E1 rts") << Utf8("format linii „rts”");
    QTest::newRow("device") << QStringLiteral("/dev/null 9N1")
                            << Utf8("format linii „9N1”: bitów danych może być od 5 do 8");
  }
  void aMalformedLineFormatIsExplainedInTheTooltip() {
    QFETCH(QString, line);
    QFETCH(QString, reason);
    WritePortMap(line.toStdString());
    TForm1 form(Environment());
    QCOMPARE(form.StatusPanel(1)->text(), Utf8("brak połączenia! (port COM2, 1200bps)"));
    QVERIFY(!form.ComPortDriver_in().Connected());
    const QString tip = form.StatusPanel(1)->toolTip();
    QVERIFY2(tip.contains(Utf8("porty.ini, COM2: ") + reason), qPrintable(tip));
    QVERIFY2(tip.contains(Utf8("przykłady: 8N1, 7E1")), qPrintable(tip));
  }
};

QTEST_MAIN(NetSupervisionTest)
#include "net_supervision_test.moc"
