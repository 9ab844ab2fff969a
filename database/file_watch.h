#pragma once

// Waits until a file of a folder may have changed, at most a given time, or
// until Wake is called from another thread. On Linux inotify tells at once;
// where it cannot be had, and on Windows, a short poll stands in (the wait
// simply ends after its slice). A wake-up never gets lost: a Wake before the
// Wait makes the Wait return at once.

#include <chrono>
#include <memory>
#include <string>

class FileWatch {
 public:
  virtual ~FileWatch() = default;
  // True when something happened (a change or a Wake), false on timeout.
  virtual bool Wait(std::chrono::milliseconds timeout) = 0;
  virtual void Wake() = 0;
};

// The poll: a wait on a condition with the slice as its longest wait.
std::unique_ptr<FileWatch> MakePollingWatch(std::chrono::milliseconds slice);
// The platform's own notification for `folder`, or the poll.
std::unique_ptr<FileWatch> MakeFileWatch(const std::string& folder);
