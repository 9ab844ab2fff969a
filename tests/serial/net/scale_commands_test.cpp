// The program asks a scale that answers only when asked: timed requests,
// F5, F6 and F7 with their replies in status panel 2, and a scale that stops
// answering, which the supervision treats as a silent one. The scale is a
// scripted peer on a pseudo-terminal or a raw TCP server, or the simulator.
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QLabel>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/form1.h"
#include "tests/serial/net/scripted_com_port_server.h"
#include "tests/support/serial/pty_pair.h"
#include "tests/support/serial/simulator_process.h"
#include "tests/support/ui/window_bench.h"

namespace {

constexpr int kWaitMs = 15000;

// Answers each command line as a scale of the standard command set does,
// unless told to keep quiet.
struct ScriptedScale {
  std::function<std::string()> take = [] { return std::string(); };  // what arrived since the last call
  std::function<void(const std::string&)> send;
  std::string received, commands;
  bool quiet = false;

  void Pump() {
    received += take();
    for (std::size_t end; (end = received.find("\r\n")) != std::string::npos; received.erase(0, end + 2)) {
      const std::string command = received.substr(0, end);
      commands += command + ";";
      if (quiet) continue;
      send(command == "SI" ? "S S     100.00 g\r\n" : command == "T" ? "T S       0.00 g\r\n" : command == "Z" ? "Z A\r\n" : "ES\r\n");
    }
  }
};

}  // namespace

class ScaleCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void requestsKeysAndASilentScale_data() {
    QTest::addColumn<bool>("simulator");
    QTest::addColumn<bool>("overTcp");
    for (bool simulator : {false, true})
      for (bool overTcp : {false, true})
        QTest::addRow("%s %s", simulator ? "simulator" : "scripted", overTcp ? "tcp" : "pty") << simulator << overTcp;
  }

  // The simulator answers 1.2 s after each command: every request is given
  // up before its answer, which then answers the next; the tare waits for
  // its own reply all the same. After eight answers it keeps quiet.
  void requestsKeysAndASilentScale() {
    QFETCH(bool, simulator);
    QFETCH(bool, overTcp);
    WindowBench bench;
    const PtyPair pty;  // the slave stays open: no hang-up between two opens
    QVERIFY(pty.master >= 0 && pty.slave >= 0);
    std::unique_ptr<ScriptedComPortServer> server;
    ScriptedScale scale;
    std::string target = pty.path;
    std::optional<SimulatorProcess> sim;
    if (simulator) {
      std::vector<std::string> options{"--porty-ini", bench.work->path().toStdString(), "--com", "COM2",
                                       "--protocol", "si", "--on-request", "--delay", "1200", "--answers", "8"};
      if (overTcp) options.insert(options.end(), {"--tcp", "0"});
      sim.emplace(WAGA_SIM_PATH, options);
      QVERIFY(!sim->target.empty());  // listening, porty.ini written
    } else if (overTcp) {
      server = std::make_unique<ScriptedComPortServer>(ScriptedComPortServer::Mode::Silent);
      target = "tcp://127.0.0.1:" + std::to_string(server->port);
      scale.take = [&, seen = std::size_t{0}]() mutable {
        const std::string wire = server->Wire();
        return wire.substr(std::exchange(seen, wire.size()));
      };
      scale.send = [&](const std::string& bytes) { server->SendRaw(bytes); };
    } else {
      fcntl(pty.master, F_SETFL, O_NONBLOCK);
      scale.take = [&] {
        char buffer[256];
        const ssize_t n = read(pty.master, buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
      };
      scale.send = [&](const std::string& bytes) {
        QCOMPARE(write(pty.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
      };
    }
    if (!simulator) std::ofstream(bench.WorkFile("porty.ini").toStdString()) << "COM2=" << target << "\r\n";
    std::ofstream(bench.WorkFile("protokol.ini").toStdString()) << "[COM2]\r\nProtokol=si\r\nCo_ile_ms=100\r\n";

    TForm1 form(bench.Environment());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const auto display = [&] { return scale.Pump(), form.Ldisplay()->text(); };
    const auto panel2 = [&] { return scale.Pump(), form.StatusPanel(2)->text(); };
    QTRY_VERIFY_WITH_TIMEOUT(display().contains(QLatin1Char('.')), kWaitMs);
    QVERIFY(form.MMtara()->isEnabled() && form.MMzerowanie()->isEnabled() && form.MMzapytanie()->isEnabled());

    QTest::keyClick(&form, Qt::Key_F6);
    QTRY_COMPARE_WITH_TIMEOUT(panel2(), QStringLiteral("Tara: wykonano"), kWaitMs);
    QTest::keyClick(&form, Qt::Key_F7);
    QTRY_COMPARE_WITH_TIMEOUT(panel2(), QStringLiteral("Zerowanie: wykonano"), kWaitMs);

    // Quiet: the requests go on, one a second, the display shows the mark
    // and the supervision reopens the port; answering again, it reads.
    scale.quiet = true;
    QTRY_COMPARE_WITH_TIMEOUT(display(), QStringLiteral("- - - - -"), kWaitMs);
    if (simulator) return;
    const std::size_t asked = scale.commands.size();
    QTRY_VERIFY_WITH_TIMEOUT((scale.Pump(), scale.commands.size() >= asked + 2 * 3), kWaitMs);
    QVERIFY(scale.commands.find("SI;SI;SI;") != std::string::npos && scale.commands.find(";T;") != std::string::npos);
    scale.quiet = false;
    QTRY_COMPARE_WITH_TIMEOUT(display(), QStringLiteral("100.00"), kWaitMs);
    QCOMPARE(form.StatusPanel(1)->text(), QStringLiteral("port COM2, 1200bps"));
    if (server) QVERIFY(server->Clients() >= 2);  // reopened while quiet
  }
};

QTEST_MAIN(ScaleCommandsTest)
#include "scale_commands_test.moc"
