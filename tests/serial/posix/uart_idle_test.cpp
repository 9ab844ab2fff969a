// On a real UART an idle event wait must sleep in the kernel: no periodic
// wake-ups to look at the modem lines. Runs on /dev/ttyS0 when it is a UART
// this process can open exclusively; the test never writes to the line and
// leaves its settings as it found them (the port may be the system console).
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <iostream>
#include <set>
#include <string>
#include <thread>

#include "serial/posix/posix_serial_device.h"

using namespace std::chrono_literals;

namespace {

constexpr const char* kUart = "/dev/ttyS0";

// ThreadSanitizer starts a background thread of its own with the first new
// thread, and it wakes ten times a second.
#if defined(__SANITIZE_THREAD__)
constexpr bool kUnderThreadSanitizer = true;
#else
constexpr bool kUnderThreadSanitizer = false;
#endif

// The threads of this process now.
std::set<std::string> ThreadsNow() {
  std::set<std::string> ids;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return ids;
  while (const dirent* entry = readdir(tasks)) ids.insert(entry->d_name);
  closedir(tasks);
  return ids;
}

// Voluntary context switches of every thread of this process that is not in
// `earlier` (the test's own threads): each one is a thread that went to
// sleep, i.e. woke up before.
long NewThreadsSleeps(const std::set<std::string>& earlier) {
  long total = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return -1;
  while (const dirent* entry = readdir(tasks)) {
    const std::string tid = entry->d_name;
    if (earlier.count(tid)) continue;
    std::ifstream status("/proc/self/task/" + tid + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stol(line.substr(24));
    }
  }
  closedir(tasks);
  return total;
}

// True when `path` is a UART known to its driver (not a pseudo-terminal or
// an unconfigured port).
bool IsRealUart(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool uart = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return uart;
}

struct MapFile {
  MapFile() {
    char pattern[] = "/tmp/porty-uart-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) return;
    path = pattern;
    const std::string line = std::string("COM1=") + kUart + "\r\n";
    ok = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
  }
  ~MapFile() {
    if (!path.empty()) unlink(path.c_str());
  }
  std::string path;
  bool ok = false;
};

}  // namespace

TEST(UartIdle, AnIdleEventWaitDoesNotWakeUp) {
  if (kUnderThreadSanitizer) GTEST_SKIP() << "ThreadSanitizer's own thread wakes by itself";
  if (access(kUart, F_OK) != 0 || !IsRealUart(kUart)) GTEST_SKIP() << kUart << " is not a UART";
  MapFile map;
  ASSERT_TRUE(map.ok);
  // Threads that exist before the device do not count; any it starts do.
  const std::set<std::string> earlier = ThreadsNow();
  PosixSerialDevice device(map.path);
  if (const int error = device.Open("COM1")) {
    GTEST_SKIP() << kUart << " cannot be opened: " << error;
  }
  // The line settings are never changed; they are compared at the end.
  termios before{};
  const int probe = ::open(kUart, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  const bool probed = probe >= 0 && tcgetattr(probe, &before) == 0;

  ASSERT_EQ(device.SetEventMask(0x05FF), 0);
  std::atomic<long> waits{0};
  auto waiter = std::async(std::launch::async, [&] {
    std::uint32_t mask = 0;
    int error = 0;
    WaitOutcome outcome;
    while ((outcome = device.WaitForEvents(mask, error)) == WaitOutcome::Events) ++waits;
    return outcome;
  });
  // Let the wait settle, then count over ten seconds of silence.
  std::this_thread::sleep_for(200ms);
  std::set<std::string> notCounted = earlier;
  notCounted.insert(std::to_string(gettid()));
  const long start = NewThreadsSleeps(notCounted);
  std::this_thread::sleep_for(10s);
  const long wakeUps = NewThreadsSleeps(notCounted) - start;
  device.StopWait();
  ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(waiter.get(), WaitOutcome::Stopped);
  device.Close();

  std::cout << "wake-ups of the waiting threads in 10 s: " << wakeUps
            << ", events reported: " << waits.load() << "\n";
  RecordProperty("WakeUps", static_cast<int>(wakeUps));
  EXPECT_LE(wakeUps, 5) << "the idle wait polls";

  if (probed) {
    termios after{};
    ASSERT_EQ(tcgetattr(probe, &after), 0);
    if (!(after.c_cflag == before.c_cflag && after.c_iflag == before.c_iflag &&
          after.c_oflag == before.c_oflag && after.c_lflag == before.c_lflag)) {
      tcsetattr(probe, TCSANOW, &before);
      ADD_FAILURE() << "the line settings changed";
    }
  }
  if (probe >= 0) ::close(probe);
}
