#include "serial/posix/port_device_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "serial/com_texts.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::optional<PortMapEntry> MappedTarget(std::string_view port, std::string_view mapText) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (mapText.substr(0, kUtf8Bom.size()) == kUtf8Bom) mapText.remove_prefix(kUtf8Bom.size());
  while (!mapText.empty()) {
    const std::size_t end = mapText.find('\n');
    const std::string_view line = mapText.substr(0, end);
    mapText = end == std::string_view::npos ? std::string_view() : mapText.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view value = TrimMapBlanks(line.substr(equals + 1));
    if (value.empty() || !SameIgnoringCase(TrimMapBlanks(line.substr(0, equals)), port)) continue;
    std::size_t word = 0;
    while (word < value.size() && !Blank(value[word])) ++word;
    return PortMapEntry{std::string(value.substr(0, word)), std::string(TrimMapBlanks(value.substr(word)))};
  }
  return std::nullopt;
}

// COM1..COM16 as the component names them ("com3" too) stand for the
// system's own UARTs; any other name has no default device.
std::string DefaultPath(std::string_view port) {
  const std::string name = NormalizePortName(port);
  if (!SameIgnoringCase(name, port)) return {};
  return "/dev/ttyS" + std::to_string(ComTextToInt(std::string_view(name).substr(3)).value_or(1) - 1);
}

}  // namespace

PortMapEntry MappingForPort(std::string_view port, std::string_view mapText) {
  port = TrimMapBlanks(port);
  if (std::optional<PortMapEntry> mapped = MappedTarget(port, mapText)) return *std::move(mapped);
  return PortMapEntry{DefaultPath(port), {}};
}

std::string DevicePathForPort(std::string_view port, std::string_view mapText) {
  return MappingForPort(port, mapText).target;
}

int ReadPortMapFile(const std::string& path, std::string& text) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? 0 : errno;
  int error = 0;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      text.append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      error = errno;
      break;
    }
  }
  ::close(fd);
  return error;
}

std::string_view TrimMapBlanks(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}
