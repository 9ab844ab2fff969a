#include "serial/call_done.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

namespace {

std::uint32_t* Word(std::atomic<std::uint32_t>& state) {
  return reinterpret_cast<std::uint32_t*>(&state);
}

}  // namespace

void CallDone::Wait() {
  std::uint32_t expected = kPending;
  if (!state_.compare_exchange_strong(expected, kSleeping, std::memory_order_acq_rel)) return;
  // The kernel sleeps only while the word still says "sleeping"; a wake, a
  // signal that came in between or a spurious return ends in the check.
  while (state_.load(std::memory_order_acquire) != kDone) {
    ::syscall(SYS_futex, Word(state_), FUTEX_WAIT_PRIVATE, kSleeping, nullptr, nullptr, 0);
  }
}

void CallDone::Signal() {
  if (state_.exchange(kDone, std::memory_order_acq_rel) == kSleeping) {
    ::syscall(SYS_futex, Word(state_), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
  }
}
