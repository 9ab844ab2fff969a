#pragma once

#include <array>
#include <cstdint>
#include <mutex>

// The received bytes a terminal device has taken from the kernel's input
// queue and not yet handed to its reader. The waiting thread takes what came
// with one read when it wakes for data, which also tells it how much came;
// the reader then counts and reads those bytes without a call of its own.
// The input queue is this buffer followed by the kernel's queue, in order.
//
// Threads: the waiting thread fills, the reader counts and reads, and either
// may discard; one lock orders them.
class ReceiveBuffer {
 public:
  static constexpr std::uint32_t kCapacity = 4096;

  // Takes from `fd` what the buffer has room for; `queued` receives the
  // bytes of the whole input queue (the kernel's part is asked for only when
  // the buffer is full). End of file on the device is EIO.
  int Fill(int fd, std::uint32_t& queued);
  // The bytes waiting: what the buffer holds, or, when it is empty, what a
  // fill finds.
  int Count(int fd, std::uint32_t& queued);
  // At most `count` bytes, the buffer's first and then the kernel's, without
  // waiting.
  int Read(int fd, char* out, std::uint32_t count, std::uint32_t& bytesRead);
  // Drops the buffer and flushes the kernel's input queue (and its output
  // queue with `output`) at once, so that no byte between the two survives.
  int Discard(int fd, bool output);
  // Drops the buffer (the device closes or opens).
  void Clear();
  bool Empty() const;

 private:
  int FillLocked(int fd, std::uint32_t& queued);

  mutable std::mutex mutex_;
  std::array<char, kCapacity> data_{};
  std::uint32_t start_ = 0;
  std::uint32_t size_ = 0;
};
