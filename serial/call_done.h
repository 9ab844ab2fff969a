#pragma once

#include <atomic>
#include <cstdint>

// The end of one call handed to another thread: the handing thread waits,
// the running thread signals once. A wait that has to sleep costs one sleep
// and one wake; a signal that comes first costs neither. (A condition
// variable costs a third call here: the waiter takes its mutex back as
// contended and wakes nobody when it lets go of it.)
class CallDone {
 public:
  // Returns once Signal() has been called, at once if it already has.
  void Wait();
  // Once, from any thread. Whatever the signalling thread wrote before is
  // seen by the waiter after Wait().
  void Signal();

 private:
  static constexpr std::uint32_t kPending = 0;
  static constexpr std::uint32_t kSleeping = 1;
  static constexpr std::uint32_t kDone = 2;
  std::atomic<std::uint32_t> state_{kPending};
};
