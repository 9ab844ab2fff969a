#pragma once

// A pseudo-terminal whose slave is reachable as COM5 through a temporary
// porty.ini (COM7 maps to a device that does not exist). The master end plays
// the scale. Also the process CPU time, for the checks that nothing spins.

#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

inline std::chrono::nanoseconds ProcessCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class PtyWithPortMap {
 public:
  // False when the pseudo-terminal or the map file cannot be made.
  bool Create() {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
    char pattern[] = "/tmp/porty-XXXXXX";
    const int file = mkstemp(pattern);
    if (file < 0) return false;
    mapFile = pattern;
    const std::string map = "COM5=" + std::string(name) + "\r\nCOM7=/nonexistent/ttyUSB9\r\n";
    const bool written = write(file, map.data(), map.size()) == static_cast<ssize_t>(map.size());
    close(file);
    return written;
  }

  // Hangs up: the slave's reader sees the other end gone.
  void CloseMaster() {
    if (master >= 0) close(master);
    master = -1;
  }

  ~PtyWithPortMap() {
    CloseMaster();
    if (slave >= 0) close(slave);
    if (!mapFile.empty()) unlink(mapFile.c_str());
  }

  int master = -1;
  int slave = -1;
  std::string mapFile;
};
