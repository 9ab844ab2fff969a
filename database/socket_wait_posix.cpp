#include <cerrno>
#include <poll.h>

#include "database/socket_wait.h"

int WaitOnSocket(int socket, bool forWriting, int milliseconds) {
  pollfd fd{socket, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  const int ready = poll(&fd, 1, milliseconds);
  if (ready < 0) return errno == EINTR ? 0 : -1;
  return ready > 0 ? 1 : 0;
}
