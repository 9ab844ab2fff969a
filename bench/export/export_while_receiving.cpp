// The real main window receiving readings from a scale on a pseudo-terminal
// while its export dialog writes a year of data files to .xlsx, beside the
// same readings without an export: how long each line takes from the write
// on the line to the display, and whether any is lost. Prints its figures;
// not a test.
//
//   export_while_receiving [LINES-OF-DATA] [LINES-PER-SECOND]   (default 1000000, 50)

#include <unistd.h>

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/export_dialog.h"
#include "app/form1.h"
#include "bench/app/app_harness.h"
#include "bench/export/year_of_data.h"
#include "text/clock.h"
#include "tools/waga-sim/scale_output.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

QDate DateOf(double day) {
  const DateTimeParts p = DecodeDateTime(day);
  return QDate(p.year, p.month, p.day);
}

// Paced readings until `more` is false (at least `minimum` of them); the
// latency of each, in microseconds, and the count of lines never shown.
std::vector<double> Readings(AppHarness& harness, PtyScale& scale, int perSecond, int minimum,
                             const std::function<bool()>& more, int& lost) {
  std::vector<double> micros;
  std::vector<std::pair<double, double>> slowest;  // latency, seconds since the first line
  const auto first = Clock::now();
  const auto period = std::chrono::nanoseconds(1000000000 / perSecond);
  auto slot = Clock::now();
  for (int i = 0; i < minimum || more(); ++i) {
    const std::int64_t hundredths = 1000 + i % 50000;
    const std::string line = ReadingLine(hundredths) + "\r\n";
    const QString shown = QString::fromStdString(ReadingLine(hundredths)).trimmed();
    const auto t0 = Clock::now();
    if (::write(scale.Master(), line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      throw std::runtime_error("write to the pseudo-terminal");
    if (harness.ServeUntil([&] { return harness.Form().Ldisplay()->text() == shown; }, 2s)) {
      micros.push_back(std::chrono::duration<double>(Clock::now() - t0).count() * 1e6);
      slowest.emplace_back(micros.back(), std::chrono::duration<double>(t0 - first).count());
    } else {
      ++lost;
    }
    slot += period;
    harness.ServeUntil([&] { return Clock::now() >= slot; }, 1s);
  }
  std::sort(micros.begin(), micros.end());
  std::sort(slowest.rbegin(), slowest.rend());
  for (std::size_t i = 0; i < std::min<std::size_t>(3, slowest.size()); ++i) {
    std::printf("  slow line: %.2f ms, %.2f s after the first\n", slowest[i].first / 1000, slowest[i].second);
  }
  return micros;
}

void Print(const char* title, const std::vector<double>& micros, int lost) {
  if (micros.empty()) return;
  auto at = [&](double q) { return micros[static_cast<std::size_t>(q * (micros.size() - 1))] / 1000; };
  std::printf("%-28s %6zu lines  median %6.2f ms  p99 %6.2f ms  max %6.2f ms  lost %d\n", title,
              micros.size(), at(0.5), at(0.99), micros.back() / 1000, lost);
}

}  // namespace

int main(int argc, char** argv) {
  UseOffscreenPlatform();
  QApplication app(argc, argv);
  const long long lines = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int perSecond = argc > 2 ? std::atoi(argv[2]) : 50;

  AppHarness harness(HarnessSettings{.showReadings = false, .writeReadings = false});
  PtyScale scale;
  harness.MapPort(scale.SlavePath());
  WriteYear(harness.Dir(), lines);
  harness.Start();
  if (!harness.Form().ComPortDriver_in().Connected()) {
    std::printf("port not connected\n");
    return 1;
  }

  int lostAlone = 0;
  const auto alone = Readings(harness, scale, perSecond, perSecond * 10, [] { return false; }, lostAlone);

  harness.Form().MMeksportClick();
  ExportDialog* dialog = harness.Form().EksportDialog();
  dialog->From()->setDate(DateOf(FirstDay()));
  dialog->To()->setDate(DateOf(LastDay()));
  dialog->Target()->setText(QString::fromStdString(harness.Dir() + "/rok.xlsx"));
  const auto start = Clock::now();
  dialog->StartClick();
  int lostDuring = 0;
  const auto during = Readings(harness, scale, perSecond, 1, [&] { return dialog->Running(); }, lostDuring);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::printf("%lld data lines exported to .xlsx in %.1f s while the scale sent %d readings/s\n", lines,
              seconds, perSecond);
  Print("readings, no export", alone, lostAlone);
  Print("readings during the export", during, lostDuring);
  const auto& boxes = harness.Boxes().messages;
  std::printf("closing message: %s\n", boxes.empty() ? "(none)" : boxes.back().text.c_str());
  return 0;
}
