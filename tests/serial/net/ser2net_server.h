#pragma once

// A real ser2net on 127.0.0.1 with a pseudo-terminal behind it: the master
// end plays the scale. Serves the pty raw on one port and as Telnet with COM
// port control on another. Stop() and Start() again keep the same ports and
// the same pty, like a serial server that is restarted.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/stop_program.h"

extern char** environ;

namespace ser2net_test {

inline const char* Ser2netPath() {
  for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return nullptr;
}

// Waits for the condition, looking again every 10 ms, at most `limitMs`.
inline bool WaitFor(const std::function<bool()>& done, int limitMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    poll(nullptr, 0, 10);
  }
  return true;
}

// ser2net and the simulator take the next client only once they have let
// go of the last one; the program's supervision would retry at its next
// tick. Opens `port` as soon as the server takes it.
template <class Port>
bool OpenOnceFree(Port& port) {
  return WaitFor([&] {
    try {
      port.Open();
      return true;
    } catch (const std::exception&) {
      return false;
    }
  });
}

inline std::uint16_t FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// Whether something listens on 127.0.0.1:port. Read from the kernel's table
// rather than tried: ser2net takes one client per port, and a trial
// connection could still hold it when the test connects.
inline bool Listening(std::uint16_t port) {
  std::ifstream table("/proc/net/tcp");
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  std::string line;
  while (std::getline(table, line)) {
    if (line.find(wanted) != std::string::npos && line.find(" 0A ") != std::string::npos) return true;
  }
  return false;
}

class Ser2netServer {
 public:
  // False with the reason when ser2net is not installed or does not start.
  bool Create(std::string& why) {
    if (!Ser2netPath()) {
      why = "ser2net is not installed (apt-get install ser2net)";
      return false;
    }
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
      why = "no pseudo-terminal";
      return false;
    }
    slaveName = name;
    char pattern[] = "/tmp/ser2net-test-XXXXXX";
    if (!mkdtemp(pattern)) {
      why = "no temporary directory";
      return false;
    }
    dir = pattern;
    rawPort = FreePort();
    telnetPort = FreePort();
    std::ofstream config(dir + "/ser2net.yaml");
    config << "connection: &raw\n"
              "  accepter: tcp,127.0.0.1," << rawPort << "\n"
              "  connector: serialdev," << slaveName << ",9600n81,local\n"
              "connection: &telnet\n"
              "  accepter: telnet(rfc2217),tcp,127.0.0.1," << telnetPort << "\n"
              "  connector: serialdev," << slaveName << ",9600n81,local\n";
    if (!config) {
      why = "cannot write the configuration";
      return false;
    }
    config.close();
    if (!Start()) {
      why = "ser2net did not start listening";
      return false;
    }
    return true;
  }

  bool Start() {
    const std::string config = dir + "/ser2net.yaml";
    const std::string pidFile = dir + "/ser2net.pid";
    const char* argv[] = {Ser2netPath(), "-n", "-c", config.c_str(), "-P", pidFile.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      return false;
    }
    return WaitFor([this] { return Listening(rawPort) && Listening(telnetPort); });
  }

  void Stop() {
    if (pid_ <= 0) return;
    StopProgram(pid_);
    pid_ = -1;
  }

  ~Ser2netServer() {
    Stop();
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    if (!dir.empty()) {
      unlink((dir + "/ser2net.yaml").c_str());
      unlink((dir + "/ser2net.pid").c_str());
      unlink((dir + "/porty.ini").c_str());
      rmdir(dir.c_str());
    }
  }

  bool Send(const std::string& bytes) const {
    return write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // The line settings of the pty as ser2net left them, read at the master.
  termios Line() const {
    termios t{};
    tcgetattr(master, &t);
    return t;
  }

  speed_t Rate() const {
    const termios t = Line();
    return cfgetospeed(&t);
  }

  // porty.ini in the server's directory.
  std::string WritePortMap(const std::string& text) const {
    const std::string path = dir + "/porty.ini";
    std::ofstream(path) << text;
    return path;
  }

  int master = -1;
  int slave = -1;
  std::string slaveName;
  std::string dir;
  std::uint16_t rawPort = 0;
  std::uint16_t telnetPort = 0;

 private:
  pid_t pid_ = -1;
};

}  // namespace ser2net_test
