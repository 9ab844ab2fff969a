// The one file that sees the kernel's termios definitions; never include
// <termios.h> here.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "serial/posix/line_state.h"

static_assert(NCCS == kLineControlChars);
static_assert(BOTHER == kArbitraryRateCode);

namespace {

void ToKernel(const LineState& from, termios2& to) {
  std::memset(&to, 0, sizeof to);
  to.c_iflag = from.iflag;
  to.c_oflag = from.oflag;
  to.c_cflag = from.cflag;
  to.c_lflag = from.lflag;
  to.c_line = from.line;
  std::memcpy(to.c_cc, from.cc.data(), kLineControlChars);
  to.c_ispeed = from.ispeed;
  to.c_ospeed = from.ospeed;
}

void FromKernel(const termios2& from, LineState& to) {
  to.iflag = from.c_iflag;
  to.oflag = from.c_oflag;
  to.cflag = from.c_cflag;
  to.lflag = from.c_lflag;
  to.line = from.c_line;
  std::memcpy(to.cc.data(), from.c_cc, kLineControlChars);
  to.ispeed = from.c_ispeed;
  to.ospeed = from.c_ospeed;
}

}  // namespace

int GetLineState(int fd, LineState& state) {
  termios2 kernel{};
  if (ioctl(fd, TCGETS2, &kernel) != 0) return errno;
  FromKernel(kernel, state);
  return 0;
}

int SetLineState(int fd, const LineState& state) {
  termios2 kernel;
  ToKernel(state, kernel);
  if (ioctl(fd, TCSETS2, &kernel) != 0) return errno;
  return 0;
}
