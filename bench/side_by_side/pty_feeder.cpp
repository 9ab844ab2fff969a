// The scale for the side-by-side benchmark: owns a pseudo-terminal, starts
// one receiving program on its slave end (with a second pseudo-terminal as
// that program's controlling terminal, drained here), feeds it the stream of
// a scale and watches the program's log file. Prints one result line:
//
//   label mode lines cpu_s cpu_per_100k lat_median_us lat_p99_us lines_per_s
//   vmhwm_kib check load1 voluntary_switches_per_line nonvoluntary_per_line
//   calls_per_line
//
// and two lines of detail starting with "#": the switches per line of each
// busy thread, and (traced) the busiest system calls per line.
//
//   pty_feeder --label NAME --log PATH --lines N --rate R [--strace FILE]
//              -- program args...          ("{tty}" in args is the slave path)
//
// With --strace the program's threads are traced (strace -c) from the first
// line to the last, mode "traced"; its CPU and switches then include the
// tracer's cost and only the calls count. Without it the calls are -1.
//
// R lines per second are sent (0: as fast as the terminal takes them). The
// stream: readings "  12.50" CR LF, a balance report of 20 records after every
// 500 readings. The CPU time and peak memory are those of the program only,
// taken from /proc between the first and the last line; its start-up is not
// counted. The log must hold, after what it held when the stream began, the
// stream byte for byte ("ok"), else "MISMATCH" or "SHORT".

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/side_by_side/process_counts.h"
#include "tools/waga-sim/scale_output.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  std::string label = "program";
  std::string log;
  std::string strace;
  long lines = 20000;
  double rate = 1280;
  std::vector<std::string> command;
};

Options Parse(int argc, char** argv) {
  Options o;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) throw std::runtime_error("missing value after " + a);
    const std::string v = argv[++i];
    if (a == "--label") o.label = v;
    else if (a == "--log") o.log = v;
    else if (a == "--lines") o.lines = std::stol(v);
    else if (a == "--rate") o.rate = std::stod(v);
    else if (a == "--strace") o.strace = v;
    else throw std::runtime_error("unknown option " + a);
  }
  for (; i < argc; ++i) o.command.push_back(argv[i]);
  if (o.log.empty() || o.command.empty()) throw std::runtime_error("need --log and a program");
  return o;
}

// The lines of the stream, each with CR LF.
std::vector<std::string> Stream(long count) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(count));
  ScaleValues values(13);
  int readings = 0;
  while (static_cast<long>(lines.size()) < count) {
    lines.push_back(ReadingLine(values.NextReading()) + "\r\n");
    if (++readings % 500 != 0) continue;
    std::vector<std::int64_t> masses;
    for (int r = 0; r < 20; ++r) masses.push_back(values.NextWeighing());
    for (const auto& text : BalanceReport(masses)) {
      if (static_cast<long>(lines.size()) == count) break;
      lines.push_back(text + "\r\n");
    }
  }
  return lines;
}

// utime + stime of the whole process (all threads), in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = all.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(all.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int n = 3; rest >> field; ++n) {
    if (n == 14) utime = std::stol(field);
    if (n == 15) {
      stime = std::stol(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long v = 0;
      status >> v;
      return v;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

double Load1() {
  double load = -1;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

off_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 100);
      continue;
    }
    if (n <= 0) throw std::runtime_error("write to the pseudo-terminal failed");
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Reads and drops what the program writes to its terminal, so that it never
// blocks on its screen output.
class TerminalDrain {
 public:
  explicit TerminalDrain(int master) : master_(master), thread_([this] { Run(); }) {}
  ~TerminalDrain() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    char buffer[65536];
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 100) > 0 && ::read(master_, buffer, sizeof buffer) <= 0) {
        if (errno != EAGAIN && errno != EINTR) return;
      }
    }
  }
  int master_;
  volatile bool stop_ = false;
  std::thread thread_;
};

pid_t Spawn(const std::vector<std::string>& command, const std::string& tty, int& terminal) {
  int slave = -1;
  winsize size{40, 120, 0, 0};
  if (::openpty(&terminal, &slave, nullptr, nullptr, &size) != 0)
    throw std::runtime_error("openpty for the terminal failed");
  std::vector<std::string> args;
  for (auto a : command) {
    for (auto at = a.find("{tty}"); at != std::string::npos; at = a.find("{tty}"))
      a.replace(at, 5, tty);
    args.push_back(a);
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    ::ioctl(slave, TIOCSCTTY, 0);
    ::dup2(slave, 0);
    ::dup2(slave, 1);
    ::dup2(slave, 2);
    ::close(slave);
    ::close(terminal);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(slave);
  ::fcntl(terminal, F_SETFL, ::fcntl(terminal, F_GETFL) | O_NONBLOCK);
  return pid;
}

bool Exited(pid_t pid) {
  int status = 0;
  return ::waitpid(pid, &status, WNOHANG) == pid;
}

void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (Exited(pid)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(index, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = Parse(argc, argv);
    ::signal(SIGPIPE, SIG_IGN);
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty failed");
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    // The slave stays open here too, so that the line never hangs up between
    // the program's opens; nothing reads it on this side.
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    ::unlink(options.log.c_str());
    int terminal = -1;
    const pid_t pid = Spawn(options.command, name, terminal);
    TerminalDrain drain(terminal);

    // Warm-up: a reading every 300 ms until the log grows and then stays
    // still; the stream starts behind what the log holds then.
    const auto warmDeadline = Clock::now() + std::chrono::seconds(60);
    const std::string warm = "  0.00\r\n";
    off_t base = -1;
    while (Clock::now() < warmDeadline && !Exited(pid)) {
      const off_t before = FileSize(options.log);
      WriteAll(master, warm.data(), warm.size());
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const off_t after = FileSize(options.log);
      if (after > before && after > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (FileSize(options.log) == after) {
          base = after;
          break;
        }
      }
    }
    if (base < 0) throw std::runtime_error(options.label + ": the log never grew");

    const std::vector<std::string> lines = Stream(options.lines);
    std::vector<off_t> ends;
    std::string all;
    for (const auto& l : lines) {
      all += l;
      ends.push_back(static_cast<off_t>(all.size()));
    }

    int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, options.log.c_str(), IN_MODIFY);
    std::vector<Clock::time_point> sent(lines.size());
    std::vector<double> latency;
    latency.reserve(lines.size());
    std::size_t seen = 0;  // lines found complete in the log
    auto look = [&] {
      char events[4096];
      while (::read(watch, events, sizeof events) > 0) {
      }
      const off_t size = FileSize(options.log) - base;
      const auto now = Clock::now();
      while (seen < lines.size() && ends[seen] <= size && sent[seen] != Clock::time_point()) {
        latency.push_back(std::chrono::duration<double, std::micro>(now - sent[seen]).count());
        ++seen;
      }
    };

    std::unique_ptr<process_counts::Tracer> tracer;
    if (!options.strace.empty()) {
      tracer = std::make_unique<process_counts::Tracer>(pid, options.strace);
      if (!tracer->AwaitAttached(std::chrono::seconds(10)))
        throw std::runtime_error(options.label + ": strace did not attach");
    }
    const auto switches0 = process_counts::SwitchesByThread(pid);
    const double cpu0 = CpuSeconds(pid);
    const auto start = Clock::now();
    if (options.rate > 0) {
      const auto slot = std::chrono::duration<double>(1.0 / options.rate);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto due = start + std::chrono::duration_cast<Clock::duration>(slot * double(i));
        for (;;) {
          const auto now = Clock::now();
          if (now >= due) break;
          const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(due - now);
          pollfd p{watch, POLLIN, 0};
          timespec t{0, static_cast<long>(wait.count()) * 1000};
          if (::ppoll(&p, 1, &t, nullptr) > 0) look();
        }
        sent[i] = Clock::now();
        WriteAll(master, lines[i].data(), lines[i].size());
      }
    } else {
      const auto now = Clock::now();
      std::fill(sent.begin(), sent.end(), now);
      WriteAll(master, all.data(), all.size());
    }
    // Until the log is complete, or nothing more arrives for 10 s.
    off_t last = -1;
    auto lastChange = Clock::now();
    while (seen < lines.size() && Clock::now() - lastChange < std::chrono::seconds(10)) {
      pollfd p{watch, POLLIN, 0};
      ::poll(&p, 1, 50);
      look();
      const off_t size = FileSize(options.log);
      if (size != last) {
        last = size;
        lastChange = Clock::now();
      }
    }
    const auto end = Clock::now();
    const double cpu = CpuSeconds(pid) - cpu0;
    const auto switches1 = process_counts::SwitchesByThread(pid);
    const double n = static_cast<double>(lines.size());
    std::string perThread, calls;
    const double callsPerLine = tracer ? tracer->Finish(n, &calls) : -1;
    const auto switched = process_counts::Difference(pid, switches0, switches1, n, perThread);
    const long peak = PeakKiB(pid);
    const double load = Load1();
    // Read before the program ends: a program may take its log with it.
    std::ifstream log(options.log, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    Stop(pid);

    const char* check = "ok";
    if (static_cast<off_t>(content.size()) < base + static_cast<off_t>(all.size())) check = "SHORT";
    else if (content.compare(static_cast<std::size_t>(base), std::string::npos, all) != 0)
      check = "MISMATCH";
    const double seconds = std::chrono::duration<double>(end - start).count();
    const char* mode = tracer ? "traced" : options.rate > 0 ? "paced" : "burst";
    std::printf("%s %s %ld %.3f %.3f %.0f %.0f %.0f %ld %s %.2f %.3f %.3f %.2f\n",
                options.label.c_str(), mode, options.lines, cpu, cpu * 100000.0 / n,
                options.rate > 0 ? Percentile(latency, 0.5) : -1.0,
                options.rate > 0 ? Percentile(latency, 0.99) : -1.0, n / seconds, peak, check,
                load, static_cast<double>(switched.voluntary) / n,
                static_cast<double>(switched.nonvoluntary) / n, callsPerLine);
    std::printf("# %s %s threads: %s\n", options.label.c_str(), mode, perThread.c_str());
    if (tracer) std::printf("# %s %s calls: %s\n", options.label.c_str(), mode, calls.c_str());
    return std::strcmp(check, "ok") == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pty_feeder: %s\n", e.what());
    return 2;
  }
}
