#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "config/konfig/konfig.h"

namespace {

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A file without any write permission is read-only, also for a superuser whom
// the system would let write it anyway.
bool IsReadOnly(const std::string& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// The file a symbolic link leads to, so that a save replaces the settings the
// link shares instead of the link itself. A link that leads nowhere is
// followed too: the save then creates its target.
std::string WriteTarget(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path target = path;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, error)); ++hops) {
    const fs::path next = fs::read_symlink(target, error);
    if (error) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.string();
}

}  // namespace

void SaveKonfig(const KonfigSettings& settings, const std::string& konfigPath) {
  const std::string path = WriteTarget(konfigPath);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && IsReadOnly(path, existing)) return;

  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  ::unlink(temporary.c_str());  // a leftover of a run that was killed mid-save
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return;
  bool ok = WriteAll(fd, KonfigText(settings));
  if (ok && exists) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
}
