#include "ports/port_map_edit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "serial/posix/port_device_path.h"

namespace {

// Whether the mapping parser takes this line for the port: placed before a
// line that maps the port to a marker, the line's own path wins.
bool IsLineOf(std::string_view line, const std::string& port) {
  const std::string marker = "\x01";
  return DevicePathForPort(port, std::string(line) + "\n" + port + "=" + marker) != marker;
}

std::string Rewritten(std::string_view line, const std::string& port, const std::string& path) {
  const std::string_view value = TrimMapBlanks(line.substr(line.find('=') + 1));
  const std::size_t blank = value.find_first_of(" \t");
  const std::string_view tail = blank == std::string_view::npos ? std::string_view() : value.substr(blank);
  return port + "=" + path + std::string(tail);
}

}  // namespace

std::string PortMapTextWith(const std::string& text, const std::string& port, const std::string& path) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  std::string_view rest = text;
  std::string result;
  if (rest.starts_with(kUtf8Bom)) {
    result += kUtf8Bom;
    rest.remove_prefix(kUtf8Bom.size());
  }
  bool written = false;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!written && IsLineOf(line, port)) {
      result += Rewritten(line, port, path);
      written = true;
    } else {
      result += line;
    }
    result += "\r\n";
  }
  if (!written) result += port + "=" + path + "\r\n";
  return result;
}

int WritePortMapLine(const std::string& file, const std::string& port, const std::string& path) {
  std::string text;
  if (int error = ReadPortMapFile(file, text)) return error;
  const std::string updated = PortMapTextWith(text, port, path);
  const std::string temporary = file + ".tmp";
  struct stat old {};
  const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return errno;
  std::size_t done = 0;
  while (done < updated.size()) {
    const ssize_t n = ::write(fd, updated.data() + done, updated.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      return error;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return error;
  }
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return error;
  }
  return 0;
}
