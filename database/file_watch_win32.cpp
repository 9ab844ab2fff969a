#include "database/file_watch.h"

std::unique_ptr<FileWatch> MakeFileWatch(const std::string&) {
  return MakePollingWatch(std::chrono::milliseconds(250));
}
