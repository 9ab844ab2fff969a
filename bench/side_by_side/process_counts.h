#pragma once
// What a receiving program's threads did over a run, for the side-by-side
// benchmark: the context switches of every thread (from /proc, no tracer
// attached) and, in a run of its own, the system calls counted by strace
// attached to every thread after start-up.

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace process_counts {

struct Switches {
  long voluntary = 0;
  long nonvoluntary = 0;
};

inline std::vector<std::string> Threads(pid_t pid) {
  std::vector<std::string> tids;
  const std::string dir = "/proc/" + std::to_string(pid) + "/task";
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      if (e->d_name[0] != '.') tids.emplace_back(e->d_name);
    }
    ::closedir(d);
  }
  return tids;
}

inline std::string StatusField(pid_t pid, const std::string& tid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/task/" + tid + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() &&
        line[key.size()] == ':') {
      const auto start = line.find_first_not_of(" \t", key.size() + 1);
      return start == std::string::npos ? std::string() : line.substr(start);
    }
  }
  return {};
}

// Thread id -> "name" and its switches so far. A thread that ends during the
// run takes its switches with it; the benchmark's programs keep theirs.
struct ThreadSwitches {
  std::string name;
  Switches switches;
};
inline std::map<std::string, ThreadSwitches> SwitchesByThread(pid_t pid) {
  std::map<std::string, ThreadSwitches> all;
  for (const auto& tid : Threads(pid)) {
    ThreadSwitches t;
    t.name = StatusField(pid, tid, "Name");
    t.switches.voluntary = std::atol(StatusField(pid, tid, "voluntary_ctxt_switches").c_str());
    t.switches.nonvoluntary =
        std::atol(StatusField(pid, tid, "nonvoluntary_ctxt_switches").c_str());
    all[tid] = t;
  }
  return all;
}

// Switches between two readings, in total and per thread as
// "name:voluntary+nonvoluntary" per line (the main thread named "main").
inline Switches Difference(pid_t pid, const std::map<std::string, ThreadSwitches>& before,
                           const std::map<std::string, ThreadSwitches>& after, double lines,
                           std::string& perThread) {
  Switches total;
  std::ostringstream text;
  text.precision(2);
  text << std::fixed;
  for (const auto& [tid, now] : after) {
    const auto was = before.find(tid);
    const Switches base = was == before.end() ? Switches{} : was->second.switches;
    const long v = now.switches.voluntary - base.voluntary;
    const long n = now.switches.nonvoluntary - base.nonvoluntary;
    total.voluntary += v;
    total.nonvoluntary += n;
    const std::string name = tid == std::to_string(pid) ? "main" : now.name;
    if (v + n > lines / 100) text << " " << name << ":" << v / lines << "+" << n / lines;
  }
  perThread = text.str();
  return total;
}

// strace -c attached to every thread of `pid`, writing its summary to `out`.
class Tracer {
 public:
  Tracer(pid_t pid, const std::string& out) : pid_(pid), out_(out) {
    // With -f, strace attaches to every thread of the process given.
    std::vector<std::string> args = {"strace", "-f", "-c", "-o", out, "-p", std::to_string(pid)};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    tracer_ = ::fork();
    if (tracer_ == 0) {
      ::execvp("strace", argv.data());
      ::_exit(127);
    }
  }
  Tracer(const Tracer&) = delete;
  Tracer& operator=(const Tracer&) = delete;
  ~Tracer() { Finish(); }

  // True once every thread is traced; gives up after `limit`.
  bool AwaitAttached(std::chrono::seconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      bool all = true;
      for (const auto& tid : Threads(pid_)) {
        if (std::atol(StatusField(pid_, tid, "TracerPid").c_str()) == 0) all = false;
      }
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Detaches and returns the calls per line, "name calls" of the busiest in
  // `breakdown`; -1 when the summary could not be read.
  double Finish(double lines = 1, std::string* breakdown = nullptr) {
    if (tracer_ <= 0) return -1;
    ::kill(tracer_, SIGINT);
    ::waitpid(tracer_, nullptr, 0);
    tracer_ = -1;
    std::ifstream summary(out_);
    double total = -1;
    std::ostringstream text;
    text.precision(2);
    text << std::fixed;
    for (std::string line; std::getline(summary, line);) {
      std::istringstream fields(line);
      std::vector<std::string> f;
      for (std::string w; fields >> w;) f.push_back(w);
      if (f.size() < 5 || f[0].find('.') == std::string::npos) continue;
      const double calls = std::atof(f[3].c_str());
      if (f.back() == "total") {
        total = calls / lines;
      } else if (calls / lines >= 0.05) {
        text << " " << f.back() << ":" << calls / lines;
      }
    }
    if (breakdown) *breakdown = text.str();
    return total;
  }

 private:
  pid_t pid_;
  std::string out_;
  pid_t tracer_ = -1;
};

}  // namespace process_counts
