// The integer conversion against a reference written another way, and
// every 32-bit value written in each accepted form read back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "text/number_text.h"
#include "fuzz/fuzz_check.h"

namespace {

int DigitValue(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'z') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'Z') d = c - 'A' + 10;
  return d < base ? d : -1;
}

// The value of the digits if they are all of the base and fit below 2^32
// plus some; leading zeros never count.
std::optional<std::int64_t> Digits(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    const int d = DigitValue(c, base);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > (std::int64_t{1} << 40)) value = std::int64_t{1} << 40;  // saturate
  }
  return value;
}

std::optional<std::int32_t> Expected(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.substr(0, prefix.size()) == prefix) {
      const auto v = Digits(text.substr(prefix.size()), 16);
      if (!v || *v > INT32_MAX) return std::nullopt;
      return static_cast<std::int32_t>(*v);
    }
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const auto v = Digits(text, 10);
  if (!v) return std::nullopt;
  const std::int64_t signed_value = negative ? -*v : *v;
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(signed_value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(TextToInt(text) == Expected(text));

  if (size >= 4) {
    std::int32_t n;
    std::memcpy(&n, data, sizeof n);
    const std::string blanks(data[0] % 4, ' ');
    FUZZ_CHECK(TextToInt(blanks + std::to_string(n)) == n);
    if (n >= 0) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(n));
      FUZZ_CHECK(TextToInt(blanks + "$" + hex) == n);
      FUZZ_CHECK(TextToInt(blanks + "0x" + hex) == n);
      FUZZ_CHECK(TextToInt("+" + std::to_string(n)) == n);
    }
    FUZZ_CHECK(!TextToInt(std::to_string(n) + " "));
    FUZZ_CHECK(!TextToInt(std::to_string(std::int64_t{n} + (n < 0 ? -(std::int64_t{1} << 32) : (std::int64_t{1} << 32)))));
  }
  return 0;
}
