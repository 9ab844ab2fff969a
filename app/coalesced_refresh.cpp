#include "app/coalesced_refresh.h"

#include <utility>

CoalescedRefresh::CoalescedRefresh(int intervalMs, std::function<void()> show)
    : show_(std::move(show)) {
  timer_.setSingleShot(true);
  timer_.setInterval(intervalMs);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { End(); });
}

void CoalescedRefresh::Changed() {
  if (Open()) {
    changed_ = true;
    return;
  }
  show_();
  timer_.start();
}

void CoalescedRefresh::End() {
  if (!changed_) return;  // a quiet interval: the timer stays stopped
  changed_ = false;
  show_();
  timer_.start();
}
