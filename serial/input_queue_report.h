#pragma once

#include <cstdint>

#include "serial/serial_device.h"

// The input queue's events as a device reports them from its waits: data is
// reported once, and again only after the reader has looked at the queue
// (its read generation moved on) or when more has arrived; a level-triggered
// report would end every wait while unread data sits in the queue. The 80 %
// mark is reported when the count crosses it upwards.
class InputQueueReport {
 public:
  // `generation` must be taken before `queued`: a read between the two then
  // shows as a new generation at the next look, never as a stale count that
  // would hide the next small arrival.
  std::uint32_t Look(std::uint64_t generation, std::uint32_t queued, std::uint32_t capacity) {
    std::uint32_t occurred = 0;
    const bool seenByReader = !reported_ || generation != reportedGeneration_;
    if (queued > 0 && (seenByReader || queued > reportedCount_)) {
      occurred |= ev::RXCHAR;
      reported_ = true;
      reportedGeneration_ = generation;
      reportedCount_ = queued;
    }
    const bool above = queued >= EightyPercentOf(capacity);
    if (above && !aboveEightyPercent_) occurred |= ev::RX80FULL;
    aboveEightyPercent_ = above;
    return occurred;
  }

  // Reported data the reader has not looked at since.
  bool Unread(std::uint64_t generation) const { return reported_ && generation == reportedGeneration_; }

 private:
  // At least one byte: an empty queue is never 80 % full.
  static constexpr std::uint32_t EightyPercentOf(std::uint32_t capacity) {
    const std::uint32_t mark = capacity / 5 * 4 + (capacity % 5) * 4 / 5;
    return mark > 0 ? mark : 1;
  }

  bool reported_ = false;
  std::uint64_t reportedGeneration_ = 0;
  std::uint32_t reportedCount_ = 0;
  bool aboveEightyPercent_ = false;
};
