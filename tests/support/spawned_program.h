#pragma once

// A program started with its standard output (and, if asked, its errors) on
// a pipe that the test reads.

#include <gtest/gtest.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

struct SpawnedProgram {
  pid_t pid = -1;
  int output = -1;
};

inline SpawnedProgram Spawn(std::vector<std::string> args, bool errorsToo) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2];
  EXPECT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (errorsToo) posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  SpawnedProgram program;
  EXPECT_EQ(posix_spawn(&program.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  program.output = out[0];
  return program;
}
