#include "serial/posix/receive_buffer.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// One non-blocking read: the bytes it gave, 0 when nothing waits, or -errno.
ssize_t ReadSome(int fd, char* out, std::uint32_t count) {
  for (;;) {
    const ssize_t n = ::read(fd, out, count);
    if (n > 0) return n;
    // With VMIN 1 on a non-blocking descriptor an empty queue gives EAGAIN;
    // end of file means the line hung up.
    if (n == 0) return -EIO;
    if (errno == EINTR) continue;
    return errno == EAGAIN ? 0 : -errno;
  }
}

}  // namespace

int ReceiveBuffer::FillLocked(int fd, std::uint32_t& queued) {
  queued = size_;
  if (size_ < kCapacity) {
    if (start_ > 0) {
      std::memmove(data_.data(), data_.data() + start_, size_);
      start_ = 0;
    }
    const ssize_t n = ReadSome(fd, data_.data() + size_, kCapacity - size_);
    if (n < 0) return static_cast<int>(-n);
    size_ += static_cast<std::uint32_t>(n);
    queued = size_;
  }
  if (size_ == kCapacity) {
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) != 0) return errno;
    queued += static_cast<std::uint32_t>(waiting);
  }
  return 0;
}

int ReceiveBuffer::Fill(int fd, std::uint32_t& queued) {
  std::lock_guard lock(mutex_);
  return FillLocked(fd, queued);
}

int ReceiveBuffer::Count(int fd, std::uint32_t& queued) {
  std::lock_guard lock(mutex_);
  if (size_ == 0) return FillLocked(fd, queued);
  queued = size_;
  return 0;
}

int ReceiveBuffer::Read(int fd, char* out, std::uint32_t count, std::uint32_t& bytesRead) {
  std::lock_guard lock(mutex_);
  const std::uint32_t taken = count < size_ ? count : size_;
  std::memcpy(out, data_.data() + start_, taken);
  start_ = taken == size_ ? 0 : start_ + taken;
  size_ -= taken;
  bytesRead = taken;
  if (taken == count) return 0;
  const ssize_t n = ReadSome(fd, out + taken, count - taken);
  // Bytes already taken from the buffer are the reader's; a failure then
  // shows at the next read.
  if (n < 0) return taken > 0 ? 0 : static_cast<int>(-n);
  bytesRead += static_cast<std::uint32_t>(n);
  return 0;
}

int ReceiveBuffer::Discard(int fd, bool output) {
  std::lock_guard lock(mutex_);
  start_ = size_ = 0;
  return tcflush(fd, output ? TCIOFLUSH : TCIFLUSH) == 0 ? 0 : errno;
}

void ReceiveBuffer::Clear() {
  std::lock_guard lock(mutex_);
  start_ = size_ = 0;
}

bool ReceiveBuffer::Empty() const {
  std::lock_guard lock(mutex_);
  return size_ == 0;
}
