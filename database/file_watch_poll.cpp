#include <condition_variable>
#include <mutex>

#include "database/file_watch.h"

namespace {

class PollingWatch final : public FileWatch {
 public:
  explicit PollingWatch(std::chrono::milliseconds slice) : slice_(slice) {}

  bool Wait(std::chrono::milliseconds timeout) override {
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, std::min(timeout, slice_), [this] { return pending_; });
    const bool happened = pending_;
    pending_ = false;
    // A poll cannot tell whether a file changed: the caller looks anyway.
    return happened;
  }

  void Wake() override {
    {
      const std::lock_guard lock(mutex_);
      pending_ = true;
    }
    woken_.notify_all();
  }

 private:
  const std::chrono::milliseconds slice_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool pending_ = false;
};

}  // namespace

std::unique_ptr<FileWatch> MakePollingWatch(std::chrono::milliseconds slice) {
  return std::make_unique<PollingWatch>(slice);
}
