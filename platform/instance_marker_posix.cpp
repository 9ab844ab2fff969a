#include "platform/instance_marker.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string DefaultInstanceMarkerPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/ApplicationTestMap";
  return "/tmp/ApplicationTestMap-" + std::to_string(::getuid());
}

bool InstanceMarker::Claim(const std::string& path) {
  Release();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  // In /tmp another local user can create the marker first and hold it;
  // only a marker of this user's own stands for another instance.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_uid != ::getuid() || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return true;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) {
    fd_ = fd;
    return true;
  }
  const bool heldElsewhere = errno == EWOULDBLOCK;
  ::close(fd);
  return !heldElsewhere;
}

void InstanceMarker::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the only descriptor drops the lock
  fd_ = -1;
}
