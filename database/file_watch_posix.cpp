#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "database/file_watch.h"

namespace {

class InotifyWatch final : public FileWatch {
 public:
  InotifyWatch(int inotify, int wake) : inotify_(inotify), wake_(wake) {}
  ~InotifyWatch() override {
    close(inotify_);
    close(wake_);
  }

  bool Wait(std::chrono::milliseconds timeout) override {
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) return false;
    char buffer[4096];
    // Drained: one look at the files answers every event so far.
    if (fds[0].revents != 0) {
      while (read(inotify_, buffer, sizeof buffer) > 0) {
      }
    }
    if (fds[1].revents != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] const auto n = read(wake_, &count, sizeof count);
    }
    return true;
  }

  void Wake() override {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = write(wake_, &one, sizeof one);
  }

 private:
  int inotify_;
  int wake_;
};

}  // namespace

std::unique_ptr<FileWatch> MakeFileWatch(const std::string& folder) {
  const int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (inotify >= 0 && wake >= 0 &&
      inotify_add_watch(inotify, folder.empty() ? "." : folder.c_str(),
                        IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                            IN_ATTRIB) >= 0) {
    return std::make_unique<InotifyWatch>(inotify, wake);
  }
  if (inotify >= 0) close(inotify);
  if (wake >= 0) close(wake);
  return MakePollingWatch(std::chrono::milliseconds(250));
}
