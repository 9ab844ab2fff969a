#include "serial/int_text.h"

#include <limits>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Accumulates digits of the given base up to the end of the text; fails on any
// other character, on no digit at all and on a magnitude beyond `limit`.
std::optional<std::int64_t> Magnitude(std::string_view digits, int base, std::int64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    const int d = base == 16 ? HexValue(c) : (IsDigit(c) ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view rest = text.substr(i);
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

  std::string_view hex;
  bool is_hex = true;
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    hex = rest.substr(2);
  } else if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
    hex = rest.substr(1);
  } else {
    is_hex = false;
  }
  if (is_hex) {
    auto value = Magnitude(hex, 16, kMax);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }

  bool negative = false;
  if (rest.starts_with('+') || rest.starts_with('-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  auto value = Magnitude(rest, 10, negative ? kMax + 1 : kMax);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -*value : *value);
}
