#pragma once

// waga-sim started as a scale for a test: its first output line (the
// pseudo-terminal's path or the network target) is read before the test
// goes on (empty when it did not start); stopped at the end.

#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/stop_program.h"

extern char** environ;

class SimulatorProcess {
 public:
  SimulatorProcess(const std::string& simulator, std::vector<std::string> options) {
    options.insert(options.begin(), simulator);
    std::vector<char*> argv;
    for (auto& option : options) argv.push_back(option.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') target += c;
    ::close(out[0]);
  }
  ~SimulatorProcess() { Stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // How the simulator ended (StopProgram).
  int Stop() { return StopProgram(std::exchange(pid_, -1)); }

  std::string target;

 private:
  pid_t pid_ = -1;
};
