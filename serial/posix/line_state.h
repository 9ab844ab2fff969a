#pragma once

#include <array>
#include <cstdint>

// The kernel's full line state of a terminal (its termios2 record, which
// carries the exact input and output rates), in types that do not depend on
// either termios header: the kernel's and the C library's definitions of
// struct termios clash, so only line_state_ioctl.cpp sees the kernel's.
// Flag bits and control-character indices are the same in both headers.
inline constexpr int kLineControlChars = 19;
// Rate code meaning "the rate is in ispeed/ospeed" (the kernel's BOTHER).
inline constexpr std::uint32_t kArbitraryRateCode = 0010000;

struct LineState {
  std::uint32_t iflag = 0;
  std::uint32_t oflag = 0;
  std::uint32_t cflag = 0;
  std::uint32_t lflag = 0;
  std::uint8_t line = 0;
  std::array<std::uint8_t, kLineControlChars> cc{};
  std::uint32_t ispeed = 0;
  std::uint32_t ospeed = 0;

  bool operator==(const LineState&) const = default;
};

// TCGETS2 / TCSETS2 (TCSANOW) on a terminal; 0 or errno.
int GetLineState(int fd, LineState& state);
int SetLineState(int fd, const LineState& state);
