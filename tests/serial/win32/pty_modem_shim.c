// Test support for the Windows lane, preloaded into Wine (LD_PRELOAD) and
// never part of the program: Wine's wait for comm events reads the modem
// lines (TIOCMGET) and the interrupt counters (TIOCGICOUNT), which a
// pseudo-terminal refuses. On a pseudo-terminal both requests succeed here
// with every line off and every counter zero, as a cable without handshake
// lines would show them; setting DTR or RTS (TIOCMBIS, TIOCMBIC, TIOCMSET)
// succeeds and changes nothing. The side-by-side benchmark preloads it into
// a serial terminal that refuses a port whose lines cannot be set.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// Unix98 pseudo-terminal slaves have majors 136 to 143.
static int IsPtySlave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  if (real_ioctl == NULL) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  const int rc = real_ioctl(fd, request, argument);
  if (rc != -1 || (errno != ENOTTY && errno != EINVAL) || argument == NULL || !IsPtySlave(fd)) {
    return rc;
  }
  if (request == TIOCMGET) {
    *(int*)argument = 0;
    errno = 0;
    return 0;
  }
  if (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) {
    errno = 0;
    return 0;
  }
  if (request == TIOCGICOUNT) {
    memset(argument, 0, sizeof(struct serial_icounter_struct));
    errno = 0;
    return 0;
  }
  return rc;
}
