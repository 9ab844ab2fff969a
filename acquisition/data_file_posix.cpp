#include "acquisition/data_file.h"

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "text/win1250.h"

namespace {

// Another program holding the lock delays a line at most this long.
constexpr int kLockAttempts = 25;
constexpr long kLockRetryNanoseconds = 10'000'000;

bool LockExclusive(int fd) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    timespec pause{0, kLockRetryNanoseconds};
    nanosleep(&pause, nullptr);
  }
  return false;
}

// Writes the text and CR LF in one call, without a copy joining them;
// `done` tells how much reached the file.
bool WriteLine(int fd, const std::string& text, std::size_t& done) {
  static constexpr char kLineEnd[] = "\r\n";
  const std::size_t total = text.size() + 2;
  done = 0;
  while (done < total) {
    iovec parts[2];
    int count = 0;
    if (done < text.size()) {
      parts[count++] = {const_cast<char*>(text.data()) + done, text.size() - done};
    }
    const std::size_t endDone = done > text.size() ? done - text.size() : 0;
    parts[count++] = {const_cast<char*>(kLineEnd) + endDone, 2 - endDone};
    const ssize_t n = writev(fd, parts, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A write cut short (a full disk) leaves a half line at the end of the file;
// it is cut off again unless someone has appended behind it meanwhile.
void RemovePartialLine(int fd, std::size_t written) {
  struct stat now {};
  const off_t end = lseek(fd, 0, SEEK_CUR);
  if (end < 0 || fstat(fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_size != end) return;
  if (ftruncate(fd, end - static_cast<off_t>(written)) != 0) {
    // Nothing more can be done; the failure is reported anyway.
  }
}

}  // namespace

bool AppendDataFileLine(const std::string& fileName, const std::string& text) {
  const std::string path = Cp1250ToUtf8(fileName);
  if (path.empty()) return false;
  // Non-blocking, so that a name that points at a FIFO or a device fails
  // instead of stopping the program.
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  if (!LockExclusive(fd)) {
    close(fd);
    return false;
  }
  std::size_t done = 0;
  bool ok = WriteLine(fd, text, done);
  if (!ok && done > 0) RemovePartialLine(fd, done);
  if (close(fd) != 0) ok = false;  // closing releases the lock
  return ok;
}

bool CreateDataFileIfMissing(const std::string& fileName) {
  const std::string path = Cp1250ToUtf8(fileName);
  if (path.empty()) return false;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return errno == EEXIST;
  return close(fd) == 0;
}
