#include "serial/posix/porty_ini.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "serial/com_texts.h"
#include "serial/int_text.h"
#include "serial/stored_file.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Takes the next line off `text`, without its LF.
std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  const std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  return line;
}

// COM1..COM16 as the component names them ("com3" too) stand for the
// system's own UARTs; any other name has no default device.
std::string DefaultPath(std::string_view port) {
  const std::string name = NormalizePortName(port);
  if (!SameIgnoringCase(name, port)) return {};
  return "/dev/ttyS" + std::to_string(TextToInt(std::string_view(name).substr(3)).value_or(1) - 1);
}

bool IsLineOf(std::string_view line, std::string_view port) {
  const std::optional<PortMapLine> parsed = ParsePortMapLine(line);
  return parsed && SameIgnoringCase(parsed->name, port);
}

// The line with the new target; what followed the old target stays as it
// was written.
std::string Rewritten(std::string_view line, const std::string& port, const std::string& target) {
  const std::string_view value = TrimMapBlanks(line.substr(line.find('=') + 1));
  const std::size_t blank = value.find_first_of(" \t");
  const std::string_view tail = blank == std::string_view::npos ? std::string_view() : value.substr(blank);
  return port + "=" + target + std::string(tail);
}

}  // namespace

std::optional<PortMapLine> ParsePortMapLine(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view value = TrimMapBlanks(line.substr(equals + 1));
  if (value.empty()) return std::nullopt;
  std::size_t word = 0;
  while (word < value.size() && !Blank(value[word])) ++word;
  return PortMapLine{std::string(TrimMapBlanks(line.substr(0, equals))),
                     PortMapEntry{std::string(value.substr(0, word)),
                                  std::string(TrimMapBlanks(value.substr(word)))}};
}

PortMapEntry MappingForPort(std::string_view port, std::string_view mapText) {
  port = TrimMapBlanks(port);
  if (mapText.starts_with(kUtf8Bom)) mapText.remove_prefix(kUtf8Bom.size());
  while (!mapText.empty()) {
    const std::optional<PortMapLine> line = ParsePortMapLine(NextLine(mapText));
    if (line && SameIgnoringCase(line->name, port)) return line->entry;
  }
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

namespace {

// The text with the line that counts for the port rewritten by `rewrite`, or
// `appended` added at the end when there is none.
template <typename Rewrite>
std::string WithPortLine(std::string_view rest, const std::string& port, Rewrite rewrite,
                         const std::string& appended) {
  std::string result;
  if (rest.starts_with(kUtf8Bom)) {
    result += kUtf8Bom;
    rest.remove_prefix(kUtf8Bom.size());
  }
  bool written = false;
  while (!rest.empty()) {
    std::string_view line = NextLine(rest);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!written && IsLineOf(line, TrimMapBlanks(port))) {
      result += rewrite(line);
      written = true;
    } else {
      result += line;
    }
    result += "\r\n";
  }
  if (!written) result += appended + "\r\n";
  return result;
}

}  // namespace

std::string PortMapTextWith(std::string_view rest, const std::string& port, const std::string& target) {
  return WithPortLine(
      rest, port, [&](std::string_view line) { return Rewritten(line, port, target); },
      port + "=" + target);
}

std::string PortMapTextWithFormat(std::string_view text, const std::string& port, const std::string& format) {
  const auto line = [&](const std::string& target) {
    return port + "=" + target + (format.empty() ? "" : " " + format);
  };
  return WithPortLine(
      text, port,
      [&](std::string_view old) { return line(ParsePortMapLine(old)->entry.target); },
      line(MappingForPort(port, text).target));
}

int WritePortMapFormat(const std::string& file, const std::string& port, const std::string& format) {
  std::string text;
  if (int error = ReadPortMapFile(file, text)) return error;
  return ReplaceStoredFile(file, PortMapTextWithFormat(text, port, format));
}

int WritePortMapLine(const std::string& file, const std::string& port, const std::string& target) {
  std::string text;
  if (int error = ReadPortMapFile(file, text)) return error;
  return ReplaceStoredFile(file, PortMapTextWith(text, port, target));
}
