#include <winsock2.h>

#include "database/socket_wait.h"

int WaitOnSocket(int socket, bool forWriting, int milliseconds) {
  // libpq hands out its SOCKET as an int.
  WSAPOLLFD fd{static_cast<SOCKET>(socket), static_cast<SHORT>(forWriting ? POLLWRNORM : POLLRDNORM), 0};
  const int ready = WSAPoll(&fd, 1, milliseconds);
  if (ready == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? 0 : -1;
  return ready > 0 ? 1 : 0;
}
