// The least a logging program can do: poll the serial device, read what
// came and append it to a log file. The yardstick of the side-by-side
// benchmark.
//
//   bare_reader DEVICE LOG

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_reader DEVICE LOG\n");
    return 2;
  }
  const int port = open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
  const int log = open(argv[2], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (port < 0 || log < 0) {
    std::perror("bare_reader");
    return 1;
  }
  termios raw{};
  tcgetattr(port, &raw);
  cfmakeraw(&raw);
  cfsetspeed(&raw, B115200);
  tcsetattr(port, TCSANOW, &raw);
  char buffer[4096];
  for (;;) {
    pollfd p{port, POLLIN, 0};
    if (poll(&p, 1, -1) < 0 && errno != EINTR) return 1;
    const ssize_t n = read(port, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return 0;
    if (write(log, buffer, static_cast<size_t>(n)) != n) return 1;
  }
}
