// Soak of the receiving path with the real main window: readings with
// balance reports in between, pauses of the scale that make the supervision
// tick cycle the port, and hang-ups of the pseudo-terminal (its master end
// closed, a new one opened and mapped to the same port name in porty.ini).
// Every line sent while the port was open must arrive exactly once and in
// order in the data file: the data file is compared with the log of what was
// sent, byte for byte. Resident memory is reported at the start (once the
// preview is full) and at the end.
//
//   waga_soak [lines] [port-cycles] [hang-ups]     (default 1000000 100 20)
//
// A pause lasts four seconds of the program's clock, which the soak moves on
// at once instead of waiting; the supervision tick is run by the soak at that
// moment instead of by its 2-second timer. Exit status 0 when nothing was lost.

#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "acquisition/connection_supervision.h"
#include "text/clock.h"
#include "app/form1.h"
#include "bench/app/app_harness.h"
#include "tools/waga-sim/scale_output.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr TDateTime kSecond = 1.0 / 86400.0;

// The program's clock: real time from a fixed morning, plus the pauses.
class SoakClock {
 public:
  SoakClock() : start_(Clock::now()), base_(EncodeDateTime({2026, 12, 8, 8, 0, 0, 0})) {
    SetClock([this] { return Current(); });
  }
  ~SoakClock() { SetClock({}); }
  void Advance(double seconds) { offset_ += seconds * kSecond; }

 private:
  TDateTime Current() const {
    return base_ + offset_ + std::chrono::duration<double>(Clock::now() - start_).count() * kSecond;
  }
  Clock::time_point start_;
  TDateTime base_;
  TDateTime offset_ = 0;
};

// The scale: writes what it is given on the master end as fast as the
// terminal takes it, while the event loop runs, and logs every byte written.
class SoakScale {
 public:
  explicit SoakScale(const std::string& logPath) : log_(logPath, std::ios::binary) {}

  const std::string& SlavePath() const { return pty_->SlavePath(); }
  void Open() {
    pty_ = std::make_unique<PtyScale>();
    notifier_ = std::make_unique<QSocketNotifier>(pty_->Master(), QSocketNotifier::Write);
    notifier_->setEnabled(false);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Flush(); });
  }
  void HangUp() {
    notifier_.reset();
    pty_.reset();
  }
  void Queue(const std::string& bytes) {
    pending_ += bytes;
    Flush();
  }
  bool Idle() const { return written_ == pending_.size(); }
  std::uintmax_t Logged() const { return logged_; }

 private:
  void Flush() {
    while (written_ < pending_.size()) {
      const ssize_t n = ::write(pty_->Master(), pending_.data() + written_, pending_.size() - written_);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN) throw std::runtime_error("write to the pseudo-terminal failed");
        break;
      }
      log_.write(pending_.data() + written_, n);
      written_ += static_cast<std::size_t>(n);
      logged_ += static_cast<std::uintmax_t>(n);
    }
    if (written_ == pending_.size()) {
      pending_.clear();
      written_ = 0;
      log_.flush();
    }
    notifier_->setEnabled(!pending_.empty());
  }

  std::ofstream log_;
  std::unique_ptr<PtyScale> pty_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::string pending_;
  std::size_t written_ = 0;
  std::uintmax_t logged_ = 0;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "soak: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  UseOffscreenPlatform();
  QApplication app(argc, argv);
  const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int cycles = argc > 2 ? std::atoi(argv[2]) : 100;
  const int hangUps = argc > 3 ? std::atoi(argv[3]) : 20;
  const int events = cycles + hangUps;
  const long perSegment = lines / (events + 1);
  const auto started = Clock::now();

  SoakClock clock;
  AppHarness harness(HarnessSettings{});
  SoakScale scale(harness.Dir() + "/sent.log");
  scale.Open();
  harness.MapPort(scale.SlavePath());
  harness.Start();
  TForm1& form = harness.Form();
  // The soak runs the supervision tick itself, when it moves the clock on.
  form.Timer1()->stop();
  if (!form.ComPortDriver_in().Connected()) Fail("the port did not open at start-up");

  // Waits until everything sent so far is in the data file.
  auto settle = [&](const char* when) {
    if (!harness.ServeUntil([&] { return scale.Idle() && harness.DataFileSize() >= scale.Logged(); },
                            60s))
      Fail(std::string("lines sent did not arrive ") + when + " (" +
           std::to_string(harness.DataFileSize()) + " of " + std::to_string(scale.Logged()) +
           " bytes)");
  };
  // A pause of the scale: the first tick shows the no-reading mark, the
  // second closes and reopens the port.
  int portCycles = 0;
  auto pause = [&] {
    clock.Advance(4.0);
    form.Timer1Timer();
    if (form.Ldisplay()->text() != QString::fromLatin1(kNoReadingMark)) Fail("no mark after a pause");
    // A cycle writes "zamykam port" and then the connected text into status
    // panel 1; without one the panel keeps this text.
    form.SetStatusPanelText(1, "-");
    form.Timer1Timer();
    if (!form.ComPortDriver_in().Connected()) Fail("the port did not reopen after a pause");
    if (form.StatusPanel(1)->text() != QString::fromStdString(ConnectedStatusText(
                                           form.ComPortDriver_in().Port(),
                                           form.ComPortDriver_in().BaudRate())))
      Fail("the port was not cycled after a pause");
    ++portCycles;
  };

  ScaleValues values(7);
  long sentLines = 0;
  long rssStart = -1;
  int hangUpsDone = 0;
  for (int segment = 0; segment <= events; ++segment) {
    // Readings with a balance report of 1 to 20 records after every 500.
    std::string bytes;
    long inSegment = 0;
    const long wanted = segment == events ? lines - sentLines : perSegment;
    while (inSegment < wanted) {
      for (int i = 0; i < 500 && inSegment < wanted; ++i, ++inSegment)
        bytes += ReadingLine(values.NextReading()) + "\r\n";
      if (inSegment >= wanted) break;
      std::vector<std::int64_t> masses(static_cast<std::size_t>(1 + inSegment / 500 % 20));
      for (auto& mass : masses) mass = values.NextWeighing();
      for (const auto& line : BalanceReport(masses)) {
        bytes += line + "\r\n";
        ++inSegment;
      }
      if (bytes.size() > (1u << 20)) {
        scale.Queue(bytes);
        bytes.clear();
        harness.ServeUntil([&] { return scale.Idle(); }, 60s);
      }
    }
    scale.Queue(bytes);
    sentLines += inSegment;
    settle("within a segment");
    if (rssStart < 0) rssStart = ProcessMemoryKiB("VmRSS");
    if (segment == events) break;

    // Spread the hang-ups evenly among the pauses.
    const bool hangUp = (segment + 1) * hangUps / events != segment * hangUps / events;
    if (hangUp) {
      scale.HangUp();
      scale.Open();
      harness.MapPort(scale.SlavePath());
      ++hangUpsDone;
    }
    pause();
    if (segment % 10 == 9) {
      std::printf("  %ld lines, %d port cycles, %d hang-ups, VmRSS %ld KiB, %.0f s\n", sentLines,
                  portCycles, hangUpsDone, ProcessMemoryKiB("VmRSS"),
                  std::chrono::duration<double>(Clock::now() - started).count());
      std::fflush(stdout);
    }
  }

  // Before the files are read into memory for the comparison.
  const long rssEnd = ProcessMemoryKiB("VmRSS");
  const long rssPeak = ProcessMemoryKiB("VmHWM");
  const std::string sent = FileBytes(harness.Dir() + "/sent.log");
  const std::string received = FileBytes(harness.DataFilePath());
  std::printf("soak: %ld lines sent (%zu bytes), %d port cycles, %d hang-ups, %.0f s\n", sentLines,
              sent.size(), portCycles, hangUpsDone,
              std::chrono::duration<double>(Clock::now() - started).count());
  std::printf("  VmRSS after the first segment %ld KiB, at the end %ld KiB (growth %ld KiB); VmHWM %ld KiB\n",
              rssStart, rssEnd, rssEnd - rssStart, rssPeak);
  std::printf("  boxes shown: %zu\n", harness.Boxes().log.size());
  if (received != sent) {
    std::size_t at = 0;
    while (at < sent.size() && at < received.size() && sent[at] == received[at]) ++at;
    Fail("the data file differs from what was sent at byte " + std::to_string(at) + " (data file " +
         std::to_string(received.size()) + " bytes)");
  }
  if (portCycles < cycles + hangUps) Fail("fewer port cycles than pauses");
  std::printf("  data file equals what was sent, byte for byte\n");
  return 0;
}
