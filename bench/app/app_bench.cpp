// The whole receiving path of the program under load, headless: the scale
// simulator on a pseudo-terminal, the serial event thread, the hand-off to
// the UI thread, OnRxChar, line assembly and line processing of the real
// main window, with the data file written and the preview limited to 5000
// lines ("kasuj początek"). Prints its figures; not a test.
//
//   app_bench [readings] [balance-reports] [latency-lines] [idle-seconds]

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "bench/app/app_harness.h"
#include "tools/waga-sim/scale_output.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// waga-sim at full speed as a child process; it writes porty.ini itself.
class SimProcess {
 public:
  SimProcess(const std::string& dir, const std::string& script) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    logPath_ = dir + "/sim.log";
    std::vector<std::string> args = {WAGA_SIM_PATH, "--porty-ini", dir,     "--baud", "0",
                                     "--repeat",    "1",         "--exit", "--log",  logPath_,
                                     "--script",    script};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("cannot start waga-sim");
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The first line of its output is the slave path: porty.ini is written.
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
    }
    ::close(out[0]);
  }
  ~SimProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Exited() {
    if (!exited_ && ::waitpid(pid_, nullptr, WNOHANG) == pid_) exited_ = true;
    return exited_;
  }
  const std::string& LogPath() const { return logPath_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string logPath_;
};

// Compares two files in pieces (reading them whole would add to the peak
// memory being measured); counts the line feeds of the first.
bool SameFiles(const std::string& a, const std::string& b, long& lineFeeds) {
  std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
  std::vector<char> bufA(1 << 16), bufB(1 << 16);
  bool same = true;
  lineFeeds = 0;
  for (;;) {
    inA.read(bufA.data(), static_cast<std::streamsize>(bufA.size()));
    inB.read(bufB.data(), static_cast<std::streamsize>(bufB.size()));
    const auto n = inA.gcount();
    lineFeeds += std::count(bufA.begin(), bufA.begin() + n, '\n');
    if (n != inB.gcount() || !std::equal(bufA.begin(), bufA.begin() + n, bufB.begin())) same = false;
    if (n == 0 || inB.gcount() == 0) return same && n == inB.gcount();
  }
}

bool EndsWith(const std::string& path, const std::string& tail) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const auto size = static_cast<long>(in.tellg());
  if (size < static_cast<long>(tail.size())) return false;
  in.seekg(size - static_cast<long>(tail.size()));
  std::string end(tail.size(), '\0');
  in.read(end.data(), static_cast<std::streamsize>(end.size()));
  return end == tail;
}

// Checks `condition` at most every 10 ms, so that looking at the data file
// costs the program under test next to nothing.
std::function<bool()> Throttled(std::function<bool()> condition) {
  auto next = std::make_shared<Clock::time_point>();
  return [condition, next] {
    const auto now = Clock::now();
    if (now < *next) return false;
    *next = now + 10ms;
    return condition();
  };
}

// Sends `script` at full speed and reports the sustained rate.
void Throughput(const char* title, const std::string& script) {
  AppHarness harness(HarnessSettings{});
  // The simulator keeps quiet for a moment while the window starts and
  // connects; then it sends everything, ending with the line "END".
  SimProcess sim(harness.Dir(), "silence:1500," + script + ",text:END");
  harness.Start();
  if (!harness.ServeUntil(Throttled([&] { return harness.DataFileSize() > 0; }), 20s)) {
    std::printf("%s: nothing arrived\n", title);
    return;
  }
  const auto t0 = Clock::now();
  const double cpu0 = ProcessCpuSeconds();
  const std::string dataFile = harness.DataFilePath();
  const bool done = harness.ServeUntil(
      Throttled([&] { return sim.Exited() && EndsWith(dataFile, "END\r\n"); }), 600s);
  const double wall = Seconds(Clock::now() - t0);
  const double cpu = ProcessCpuSeconds() - cpu0;
  long lines = 0;
  const bool same = SameFiles(dataFile, sim.LogPath(), lines);
  std::printf("%s: %ld lines in %.2f s = %.0f lines/s; CPU %.2f s = %.2f s per 100,000 lines\n",
              title, lines, wall, static_cast<double>(lines) / wall, cpu,
              cpu * 100000.0 / static_cast<double>(lines));
  std::printf("  %s; data file %s the simulator's log; preview %d lines; VmHWM %ld KiB\n",
              done ? "finished" : "TIMED OUT", same ? "equals" : "DIFFERS FROM",
              harness.Form().Mraport()->document()->blockCount(), ProcessMemoryKiB("VmHWM"));
}

// Write-to-display latency at 1280 lines/s (9-byte readings at 115200 baud).
// Shown, a line counts as displayed once the event loop has also painted the
// window; hidden, once the display caption holds it (no painting at all).
void Latency(int count, bool shown) {
  AppHarness harness(HarnessSettings{});
  PtyScale scale;
  harness.MapPort(scale.SlavePath());
  harness.Start();
  if (!shown) harness.Form().hide();
  if (!harness.Form().ComPortDriver_in().Connected()) {
    std::printf("latency: port not connected\n");
    return;
  }
  const auto period = std::chrono::nanoseconds(1000000000 / 1280);
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(count));
  auto slot = Clock::now();
  int late = 0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t hundredths = 1000 + i;  // every reading differs from the one before
    const std::string line = ReadingLine(hundredths) + "\r\n";
    const QString shown = QString::fromStdString(ReadingLine(hundredths)).trimmed();
    const auto t0 = Clock::now();
    if (::write(scale.Master(), line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      throw std::runtime_error("write to the pseudo-terminal");
    if (!harness.ServeUntil([&] { return harness.Form().Ldisplay()->text() == shown; }, 5s)) {
      std::printf("latency: line %d not displayed\n", i);
      return;
    }
    micros.push_back(Seconds(Clock::now() - t0) * 1e6);
    slot += period;
    if (Clock::now() > slot) ++late;
    std::this_thread::sleep_until(slot);
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) { return micros[static_cast<std::size_t>(q * (micros.size() - 1))]; };
  std::printf("latency at 1280 lines/s, window %s: %d lines; median %.0f us, p99 %.0f us,"
              " max %.0f us; %d lines finished after their slot\n",
              shown ? "shown" : "hidden", count, at(0.5), at(0.99), micros.back(), late);
}

// CPU of the whole program while the scale is absent or silent.
void Idle(const char* title, int seconds, bool withScale) {
  AppHarness harness(HarnessSettings{});
  std::unique_ptr<PtyScale> scale;
  if (withScale) {
    scale = std::make_unique<PtyScale>();
    harness.MapPort(scale->SlavePath());
  } else {
    harness.MapPort(harness.Dir() + "/no-such-device");
  }
  harness.Start();
  const bool connected = harness.Form().ComPortDriver_in().Connected();
  const double cpu0 = ProcessCpuSeconds();
  harness.ServeFor(std::chrono::seconds(seconds));
  const double cpu = ProcessCpuSeconds() - cpu0;
  std::printf("%s: port %s at start; CPU %.4f s over %d s = %.4f %% of a core\n", title,
              connected ? "open" : "failed", cpu, seconds, cpu * 100.0 / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  UseOffscreenPlatform();
  QApplication app(argc, argv);
  const int readings = argc > 1 ? std::atoi(argv[1]) : 500000;
  const int reports = argc > 2 ? std::atoi(argv[2]) : 3000;
  const int latencyLines = argc > 3 ? std::atoi(argv[3]) : 10000;
  const int idleSeconds = argc > 4 ? std::atoi(argv[4]) : 60;

  if (readings > 0) Throughput("readings", "burst:" + std::to_string(readings));
  if (reports > 0) {
    std::string script;
    for (int i = 0; i < reports; ++i) script += (i ? "," : "") + std::string("balance:100");
    Throughput("balance reports (100 records each)", script);
  }
  if (latencyLines > 0) {
    Latency(latencyLines, true);
    Latency(latencyLines, false);
  }
  if (idleSeconds > 0) {
    Idle("no scale (port failing, retried)", idleSeconds, false);
    Idle("silent scale (port cycled)", idleSeconds, true);
  }
  std::printf("peak resident memory (VmHWM): %ld KiB\n", ProcessMemoryKiB("VmHWM"));
  return 0;
}
