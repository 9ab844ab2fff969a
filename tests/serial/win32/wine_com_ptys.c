// Test support for the Windows lane: the virtual cables of the serial tests
// under Wine. For each COM name given it opens a pseudo-terminal, links
// <dosdevices>/comN to the slave (so that Windows programs under Wine open
// it as \\.\COMN) and makes a FIFO <feeds>/to-COMN: whatever a test writes into
// the FIFO is written on the master, as a scale would send it. Prints
// "ready" once everything exists and runs until its standard input closes.
#define _GNU_SOURCE
#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

enum { kMaxPorts = 8 };

static void Fail(const char* what, const char* name) {
  fprintf(stderr, "wine_com_ptys: %s %s: %s\n", what, name, strerror(errno));
  exit(1);
}

int main(int argc, char** argv) {
  if (argc < 4 || argc - 3 > kMaxPorts) {
    fprintf(stderr, "usage: wine_com_ptys <dosdevices> <feeds> COMn...\n");
    return 2;
  }
  const int ports = argc - 3;
  int masters[kMaxPorts];
  int slaves[kMaxPorts];
  int feeds[kMaxPorts];
  int controls[kMaxPorts];
  int sent[kMaxPorts];
  int held[kMaxPorts];
  for (int i = 0; i < ports; ++i) {
    const char* port = argv[3 + i];
    char slaveName[128];
    if (openpty(&masters[i], &slaves[i], slaveName, NULL, NULL) != 0) Fail("openpty", port);
    // The slave stays open here, so the master never reads a hang-up
    // between two opens by the tests.
    struct termios raw;
    if (tcgetattr(slaves[i], &raw) == 0) {
      cfmakeraw(&raw);
      tcsetattr(slaves[i], TCSANOW, &raw);
    }
    char link[4096];
    char lower[32];
    size_t n = 0;
    for (; port[n] != '\0' && n + 1 < sizeof lower; ++n) lower[n] = (char)tolower((unsigned char)port[n]);
    lower[n] = '\0';
    snprintf(link, sizeof link, "%s/%s", argv[1], lower);
    unlink(link);
    if (symlink(slaveName, link) != 0) Fail("symlink", link);
    char fifo[4096];
    // Not just "COMn": Windows takes that name in any folder for the device.
    snprintf(fifo, sizeof fifo, "%s/to-%s", argv[2], port);
    unlink(fifo);
    if (mkfifo(fifo, 0600) != 0) Fail("mkfifo", fifo);
    // Read and write: a writer that closes never makes the FIFO read end of file.
    feeds[i] = open(fifo, O_RDWR | O_NONBLOCK);
    if (feeds[i] < 0) Fail("open", fifo);
    snprintf(fifo, sizeof fifo, "%s/ctl-%s", argv[2], port);
    unlink(fifo);
    if (mkfifo(fifo, 0600) != 0) Fail("mkfifo", fifo);
    controls[i] = open(fifo, O_RDWR | O_NONBLOCK);
    if (controls[i] < 0) Fail("open", fifo);
    char file[4096];
    snprintf(file, sizeof file, "%s/from-%s", argv[2], port);
    sent[i] = open(file, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    if (sent[i] < 0) Fail("open", file);
    held[i] = 0;
  }
  printf("ready\n");
  fflush(stdout);

  struct pollfd fds[1 + 3 * kMaxPorts];
  for (;;) {
    fds[0] = (struct pollfd){STDIN_FILENO, POLLIN, 0};
    for (int i = 0; i < ports; ++i) {
      fds[1 + i] = (struct pollfd){feeds[i], POLLIN, 0};
      fds[1 + ports + i] = (struct pollfd){held[i] ? -1 : masters[i], POLLIN, 0};
      fds[1 + 2 * ports + i] = (struct pollfd){controls[i], POLLIN, 0};
    }
    if (poll(fds, (nfds_t)(1 + 3 * ports), -1) < 0) {
      if (errno == EINTR) continue;
      Fail("poll", "");
    }
    if (fds[0].revents != 0) {
      char ignored[64];
      if (read(STDIN_FILENO, ignored, sizeof ignored) <= 0) break;
    }
    char buffer[4096];
    for (int i = 0; i < ports; ++i) {
      if (fds[1 + i].revents & POLLIN) {
        const ssize_t got = read(feeds[i], buffer, sizeof buffer);
        for (ssize_t done = 0; got > 0 && done < got;) {
          const ssize_t put = write(masters[i], buffer + done, (size_t)(got - done));
          if (put < 0 && errno != EINTR && errno != EAGAIN) Fail("write", argv[3 + i]);
          if (put > 0) done += put;
        }
      }
      if (fds[1 + 2 * ports + i].revents & POLLIN) {
        char command = 0;
        if (read(controls[i], &command, 1) == 1) held[i] = command == 'h';
      }
      if (fds[1 + ports + i].revents & POLLIN) {
        const ssize_t got = read(masters[i], buffer, sizeof buffer);
        if (got < 0 && errno != EAGAIN) Fail("read", argv[3 + i]);
        if (got > 0 && write(sent[i], buffer, (size_t)got) != got) Fail("write", "from-");
      }
    }
  }
  for (int i = 0; i < ports; ++i) {
    char link[4096];
    snprintf(link, sizeof link, "%s/com%s", argv[1], argv[3 + i] + 3);
    unlink(link);
  }
  return 0;
}
