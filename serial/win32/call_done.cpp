#include "serial/call_done.h"

#include <windows.h>

// WaitOnAddress sleeps only while the word still holds the value it was
// given, so a Signal() between the load and the sleep is never lost. (The
// std::atomic wait of GCC 12's library can miss a notify where it has no
// futex, as on Windows.)
void CallDone::Wait() {
  for (std::uint32_t now = state_.load(std::memory_order_acquire); now != kDone;
       now = state_.load(std::memory_order_acquire)) {
    ::WaitOnAddress(&state_, &now, sizeof now, INFINITE);
  }
}

void CallDone::Signal() {
  state_.store(kDone, std::memory_order_release);
  ::WakeByAddressAll(&state_);
}
