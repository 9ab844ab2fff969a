#include "serial/call_done.h"

void CallDone::Wait() {
  for (std::uint32_t now = state_.load(std::memory_order_acquire); now != kDone;
       now = state_.load(std::memory_order_acquire)) {
    state_.wait(now, std::memory_order_acquire);
  }
}

void CallDone::Signal() {
  state_.store(kDone, std::memory_order_release);
  state_.notify_all();
}
