#pragma once

// Ends a child program that a test or a benchmark started.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

// Asks the program to end and reaps it; one that has not ended after
// `graceMs` (a server still closing a line that nobody drains) is killed, so
// that nothing waits for ever on a child. How it ended, as waitpid says.
inline int StopProgram(pid_t pid, int graceMs = 3000) {
  int status = -1;
  if (pid <= 0) return status;
  ::kill(pid, SIGTERM);
  for (int waited = 0; waited < graceMs; waited += 10) {
    if (::waitpid(pid, &status, WNOHANG) != 0) return status;
    ::poll(nullptr, 0, 10);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return status;
}
