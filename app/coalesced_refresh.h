#pragma once

#include <QTimer>
#include <functional>

// Shows a widget's changes at most once per interval. The first change after
// a quiet interval is shown at once and opens an interval; the changes made
// while one is open are shown together when it ends, which opens the next.
// With nothing to show the timer stays stopped.
class CoalescedRefresh final {
 public:
  CoalescedRefresh(int intervalMs, std::function<void()> show);

  bool Open() const { return timer_.isActive(); }
  void Changed();

 private:
  void End();

  std::function<void()> show_;
  QTimer timer_;
  bool changed_ = false;  // since the open interval began
};
