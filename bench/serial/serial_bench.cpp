// serial_bench [lines] [idle-seconds]
//
// 1. Latency: writes `lines` single lines ("  12.50\r\n", the scale's
//    reading) one after another on the master end of a pseudo-terminal and
//    measures, for each, the time from the write to the OnRxChar call that
//    delivers its line feed, with the component's default settings
//    (smThreadSync, all events) and this thread serving the UI hand-off.
// 2. Idle: keeps the port open without traffic for `idle-seconds` and
//    reports the CPU time the whole process spent meanwhile.

#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "serial/com_port.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/ui_handoff.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Micros(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

int Fail(const char* what) {
  std::perror(what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
  if (lines <= 0 || idleSeconds < 0) {
    std::fprintf(stderr, "usage: serial_bench [lines>0] [idle-seconds>=0]\n");
    return 2;
  }

  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return Fail("openpty");
  char pattern[] = "/tmp/porty-bench-XXXXXX";
  const int mapFd = mkstemp(pattern);
  if (mapFd < 0) return Fail("mkstemp");
  const std::string map = "COM5=" + std::string(name) + "\n";
  if (write(mapFd, map.data(), map.size()) != static_cast<ssize_t>(map.size()))
    return Fail("write map");
  close(mapFd);

  QueuedUiHandoff ui;
  auto port =
      std::make_unique<TComPort>("bench", std::make_unique<PosixSerialDevice>(pattern));
  port->SetPort("COM5");
  port->SetHandoff(&ui);
  bool lineDone = false;
  Clock::time_point delivered;
  port->OnRxChar = [&](TCustomComPort& sender, std::int32_t count) {
    std::string text;
    sender.ReadString(text, count);
    if (text.find('\n') != std::string::npos) {
      delivered = Clock::now();
      lineDone = true;
    }
  };
  try {
    port->Open();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "open: %s\n", e.what());
    return 1;
  }

  const std::string line = "  12.50\r\n";
  std::vector<double> latencies;
  latencies.reserve(static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) {
    lineDone = false;
    const Clock::time_point written = Clock::now();
    if (write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      return Fail("write line");
    if (!ui.ServeUntilFor([&] { return lineDone; }, std::chrono::seconds(5))) {
      std::fprintf(stderr, "line %d not delivered within 5 s\n", i);
      return 1;
    }
    latencies.push_back(Micros(delivered - written));
  }
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double q) {
    return latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(q * latencies.size()))];
  };
  std::printf("write-to-OnRxChar latency over %d lines: median %.1f us, p99 %.1f us, max %.1f us\n",
              lines, at(0.5), at(0.99), latencies.back());

  if (idleSeconds > 0) {
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    ui.ServeUntilFor([] { return false; }, std::chrono::seconds(idleSeconds));
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("idle open port: %.3f ms CPU over %.1f s (%.4f%%)\n", cpu * 1e3, wall,
                100.0 * cpu / wall);
  }

  port->Close();
  close(master);
  close(slave);
  unlink(pattern);
  return 0;
}
