// Any porty.ini text and port name: the device path chosen is the one a
// reader of the file would pick, or the default, and never a broken path.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "serial/posix/porty_ini.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// First line "name=path [format]" with the port's name and a path, else
// COMn's default.
std::string Expected(const std::string& port, std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::string wanted = Upper(Trimmed(port));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string value = Trimmed(line.substr(equals + 1));
    // The target is the first word; a line format may follow it.
    const std::string path = value.substr(0, value.find_first_of(" \t\r"));
    if (!path.empty() && Upper(Trimmed(line.substr(0, equals))) == wanted) return path;
  }
  if (wanted.size() < 4 || wanted.size() > 6 || wanted.compare(0, 3, "COM") != 0) return {};
  const std::string digits = wanted.substr(3);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return {};
  const int n = std::stoi(digits);
  return n < 1 ? std::string() : "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto choice = input.ConsumeIntegral<std::uint8_t>();
  std::string port;
  if (choice < 224) {
    port = ((choice & 0x10) ? "com" : "COM") + std::to_string(choice % 16 + 1);
    if (choice & 0x20) port = " " + port + "\t";
  } else {
    port = input.ConsumeRandomLengthString(8);
  }
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::string path = DevicePathForPort(port, text);
  FUZZ_CHECK(path == Expected(port, text));
  FUZZ_CHECK(path.find('\n') == std::string::npos);
  FUZZ_CHECK(path.find_first_of(" \t\r") == std::string::npos);
  FUZZ_CHECK(path.empty() || (!Blank(path.front()) && !Blank(path.back())));
  return 0;
}
