#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/ports/fake_tree.h"
#include "tests/support/serial/pty_pair.h"
#include "tests/support/serial/simulator_process.h"
#include "tests/support/spawned_program.h"
#include "platform/instance_marker.h"
#include "tools/waga-ports/listen.h"
#include "tools/waga-ports/ports_options.h"
#include "tools/waga-ports/ports_report.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::optional<PortsOptions> Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "waga-ports");
  return ParsePortsOptions(static_cast<int>(args.size()), args.data(), error);
}

// Runs waga-ports; `whenSaid` is written to `input` once the output holds
// `cue`. Returns the exit status and the output.
struct ToolRun {
  int status = -1;
  std::string output;
};
ToolRun RunTool(std::vector<std::string> args, int input = -1, const std::string& cue = "",
            const std::string& whenSaid = "") {
  args.insert(args.begin(), WAGA_PORTS_PATH);
  const SpawnedProgram tool = Spawn(std::move(args), true);
  ToolRun run;
  bool cued = cue.empty();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    pollfd fd{tool.output, POLLIN, 0};
    if (::poll(&fd, 1, 1000) < 0 || std::chrono::steady_clock::now() > deadline) break;
    char chunk[4096];
    const ssize_t n = ::read(tool.output, chunk, sizeof chunk);
    if (n == 0) break;
    if (n > 0) run.output.append(chunk, static_cast<std::size_t>(n));
    if (!cued && run.output.find(cue) != std::string::npos) {
      cued = true;
      EXPECT_EQ(::write(input, whenSaid.data(), whenSaid.size()), static_cast<ssize_t>(whenSaid.size()));
    }
  }
  ::close(tool.output);
  int status = 0;
  ::waitpid(tool.pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

TEST(WagaPortsOptions, CommandsAndBadArguments) {
  std::string error;
  auto listen = Parse({"--dir", "/x", "--listen", "com3", "--speed", "9600", "--seconds", "3"}, error);
  ASSERT_TRUE(listen) << error;
  EXPECT_EQ(listen->command, PortsCommand::Listen);
  EXPECT_EQ(listen->port, "COM3");
  EXPECT_EQ(listen->speed, 9600u);
  EXPECT_EQ(listen->seconds, 3);
  EXPECT_EQ(listen->dir, "/x");
  auto detect = Parse({"--detect", "com2", "--apply"}, error);
  ASSERT_TRUE(detect) << error;
  EXPECT_EQ(detect->command, PortsCommand::Detect);
  EXPECT_TRUE(detect->apply);
  auto map = Parse({"--map", "COM16", "/dev/ttyUSB0"}, error);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->path, "/dev/ttyUSB0");
  EXPECT_EQ(Parse({"-h", "--bogus"}, error)->command, PortsCommand::Help);

  const std::vector<std::pair<std::vector<const char*>, std::string>> bad = {
      {{"--listen", "COM0"}, "nieznany port \"COM0\""},
      {{"--listen", "COM17"}, "nieznany port"},
      {{"--listen", "COM02"}, "nieznany port"},
      {{"--map", "COM2"}, "brak wartości po --map COM2"},
      {{"--listen", "COM2", "--speed", "12x"}, "niepoprawna prędkość"},
      {{"--listen", "COM2", "--seconds", "0"}, "niepoprawna liczba sekund"},
      {{"--speed", "9600"}, "tylko z --listen"},
      {{"--map", "COM1", "/dev/a", "--listen", "COM2"}, "wykluczają się"},
      {{"--dir"}, "brak wartości po --dir"},
      {{"--listen", "COM2", "--apply"}, "--apply działa tylko z --detect"},
      {{"--detect", "COM2", "--map", "COM1", "/dev/a"}, "wykluczają się"},
      {{"list"}, "nieznany argument \"list\""}};
  for (const auto& [args, message] : bad) {
    error.clear();
    EXPECT_FALSE(Parse(args, error)) << message;
    EXPECT_THAT(error, HasSubstr(message));
  }
}

TEST(WagaPortsReport, DevicesAndMappingOfAFakeTree) {
  FakeTree tree;
  const std::string device = tree.Put("dev/ttyUSB0");
  ::chmod(device.c_str(), 0660);
  [[maybe_unused]] const int chowned = ::chown(device.c_str(), static_cast<uid_t>(-1), 20);
  tree.Link("dev/serial/by-id/usb-FTDI_A50-if00-port0", "../../ttyUSB0");
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  tree.Put("group", "dialout:x:" + std::to_string(st.st_gid) + ":\n");
  tree.Put("proc/4321/comm", "minicom\n");
  tree.Link("proc/4321/fd/5", device);
  tree.Put("lock/LCK..ttyUSB0", "      4321\n");
  UserIdentity jan;
  jan.uid = 1000;
  jan.gid = 1000;
  jan.name = "jan";
  jan.sessionGroups = {1000};

  const std::string devices = DeviceReport(tree.roots, jan);
  EXPECT_EQ(devices,
            "Urządzenia szeregowe:\n"
            "  /dev/serial/by-id/usb-FTDI_A50-if00-port0 → /dev/ttyUSB0\n"
            "  /dev/ttyUSB0  -rw-rw---- grupa dialout\n"
            "      dostęp: brak dostępu dla jan: nie należy do grupy dialout "
            "(dodaj: sudo usermod -aG dialout jan, potem zaloguj się ponownie)\n"
            "      używa go: minicom (pid 4321)\n"
            "      blokada: " + tree.roots.lockDirs[0] + "/LCK..ttyUSB0 (minicom, pid 4321)\n");
  EXPECT_EQ(DeviceReport(FakeTree().roots, jan), "Urządzenia szeregowe:\n  brak (podłącz przejściówkę USB)\n");

  const std::string dir = tree.Make("work");
  tree.Put("dev/ttyS0");
  tree.Put("work/porty.ini", "COM2=/dev/serial/by-id/usb-FTDI_A50-if00-port0\nCOM3=/dev/ttyUSB7\n");
  EXPECT_EQ(MappingReport(dir, tree.roots),
            "Porty według " + dir + "/porty.ini:\n"
            "  COM1 → /dev/ttyS0 (domyślnie)\n"
            "  COM2 → /dev/serial/by-id/usb-FTDI_A50-if00-port0 → /dev/ttyUSB0 (porty.ini)\n"
            "  COM3 → /dev/ttyUSB7 (porty.ini) – urządzenia nie ma\n");
}

TEST(WagaPortsMap, WritesCharacterDevicesOnly) {
  FakeTree tree;
  PtyPair pty;
  pty.CloseSlave();  // the tool opens it on its own
  tree.Link("dev/pts", "/dev/pts");
  const std::string dir = tree.Make("work");
  tree.Put("work/porty.ini", "; moje porty\nCOM1=/dev/ttyS0\n");
  std::string output;
  EXPECT_EQ(MapPort(dir, "COM2", pty.path, tree.roots, output), kExitOk);
  EXPECT_EQ(output, "Zapisano w " + dir + "/porty.ini: COM2=" + pty.path + "\n");
  EXPECT_EQ(ReadFile(dir + "/porty.ini"), "; moje porty\r\nCOM1=/dev/ttyS0\r\nCOM2=" + pty.path + "\r\n");

  tree.Put("dev/ttyUSB0");
  EXPECT_EQ(MapPort(dir, "COM2", "/dev/ttyUSB0", tree.roots, output), kExitFailed);
  EXPECT_THAT(output, HasSubstr("/dev/ttyUSB0 nie jest urządzeniem znakowym"));
  EXPECT_EQ(MapPort(dir, "COM2", "/dev/ttyUSB5", tree.roots, output), kExitFailed);
  EXPECT_THAT(output, HasSubstr("nie ma takiego pliku ani urządzenia"));
  EXPECT_EQ(ReadFile(dir + "/porty.ini"), "; moje porty\r\nCOM1=/dev/ttyS0\r\nCOM2=" + pty.path + "\r\n");
  EXPECT_EQ(MapPort(tree.dir.File("nowhere"), "COM2", pty.path, tree.roots, output), kExitFailed);
  EXPECT_THAT(output, HasSubstr("Nie można zapisać"));
}

TEST(WagaPortsListen, BytesShownAndSpeedJudged) {
  EXPECT_EQ(ShownText(std::string("  1.5\r\n\x1b\x7f\xe9", 10)), "  1.5<CR><LF><ESC><7F><E9>");
  EXPECT_EQ(HexText(std::string("A\0\xff", 3)), "41 00 FF");

  ListenTally text;
  text.Add("  12.50\r\n  12.55\r\n");
  EXPECT_EQ(ListenVerdict(text, 9600, 10), "Odebrano 18 bajtów w 10 s.\n");
  ListenTally noise;
  noise.Add("\xf0\xe0\x80\x01 12.5\xfe\xff");
  EXPECT_THAT(ListenVerdict(noise, 9600, 10), HasSubstr("To wygląda na złą prędkość (6 bajtów spoza tekstu)"));
  ListenTally errors;
  errors.Add("12");
  errors.lineErrors = 3;
  EXPECT_THAT(ListenVerdict(errors, 1200, 5), HasSubstr("(3 zgłoszeń błędów linii)"));
  EXPECT_THAT(ListenVerdict({}, 1200, 5), HasSubstr("Przez 5 s nic nie przyszło"));
}

TEST(WagaPortsTool, ListensOnAPseudoTerminalAsTheProgramWould) {
  FakeTree tree;
  PtyPair pty;
  pty.CloseSlave();  // the tool opens it on its own
  const std::string dir = tree.Make("work");
  tree.Put("work/porty.ini", "COM4=" + pty.path + "\r\n");
  tree.Put("work/konfig.ini", "Predkosc_transmisji=9600\r\n");
  const ToolRun run = RunTool({"--dir", dir, "--listen", "COM4", "--seconds", "1"}, pty.master,
                          "Słucham", "  12.50\r\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_THAT(run.output, HasSubstr("COM4 → " + pty.path + " (porty.ini)\n"));
  EXPECT_THAT(run.output, HasSubstr("tekst:   12.50<CR><LF>\n  hex: 20 20 31 32 2E 35 30 0D 0A\n"));
  EXPECT_THAT(run.output, HasSubstr("Odebrano 9 bajtów w 1 s."));
  EXPECT_THAT(run.output, HasSubstr("Słucham przez 1 s, 9600 bps"));

  const ToolRun missing = RunTool({"--dir", dir, "--listen", "COM5", "--seconds", "1"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.output, HasSubstr("COM5 → /dev/ttyS4"));

  const ToolRun bad = RunTool({"--listen", "COM5", "--seconds"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_THAT(bad.output, HasSubstr("waga-ports: brak wartości po --seconds"));
  const ToolRun help = RunTool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.output, HasSubstr("Kody wyjścia"));
}

TEST(WagaPortsTool, DetectsAScaleAndAppliesWhatItFound) {
  FakeTree tree;
  const SimulatorProcess sim(WAGA_SIM_PATH, {"--baud", "0", "--interval", "200", "--script", "reading:1000"});
  const std::string dir = tree.Make("work");
  // The marker of a Waga that runs is looked for here.
  ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  const std::string others = "; moje porty\r\nCOM1=/dev/ttyS0 7E1\r\n";
  tree.Put("work/porty.ini", others + "COM4=" + sim.target + " 7O1 rtscts\r\n");
  tree.Put("work/konfig.ini", "Numer_portu=4\r\nPredkosc_transmisji=1200\r\n");
  const ToolRun run = RunTool({"--dir", dir, "--detect", "COM4", "--apply"});
  EXPECT_EQ(run.status, 0) << run.output;
  // The sample is one of the simulator's readings, the first whole one.
  EXPECT_THAT(run.output, testing::ContainsRegex("Znaleziono wagę: 9600 bps, 8N1, protokół liczba \\(pewność 100%\\)\\.\n"
                                                 "Przykładowy wiersz: +[0-9]+\\.[0-9][0-9]\n"));
  EXPECT_EQ(ReadFile(dir + "/porty.ini"), others + "COM4=" + sim.target + " 8N1 rtscts\r\n");
  EXPECT_THAT(ReadFile(dir + "/konfig.ini"), HasSubstr("Predkosc_transmisji=9600\r\n"));

  // While Waga runs, konfig.ini is its own.
  tree.Put("work/konfig.ini", "Predkosc_transmisji=1200\r\n");
  InstanceMarker marker;
  ASSERT_TRUE(marker.Claim(DefaultInstanceMarkerPath()));
  const ToolRun running = RunTool({"--dir", dir, "--detect", "COM4", "--apply"});
  EXPECT_EQ(running.status, 0) << running.output;
  EXPECT_THAT(running.output, HasSubstr("Waga jest uruchomiona"));
  EXPECT_EQ(ReadFile(dir + "/konfig.ini"), "Predkosc_transmisji=1200\r\n");

  const ToolRun missing = RunTool({"--dir", dir, "--detect", "COM5"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.output, HasSubstr("Urządzenie /dev/ttyS4 nie istnieje"));
}
