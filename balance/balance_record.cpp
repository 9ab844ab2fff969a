#include "balance/balance_record.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "text/umy_fun.h"

namespace {

// The comma and everything from the point to the colon: digits, '.', '/', ':'.
bool IsKept(unsigned char c) { return c == ',' || (c >= '.' && c <= ':'); }

// A run of blanks, also one broken only by dropped characters, becomes one
// '%'; kept characters pass; everything else (letters, signs, tabs, '%')
// is dropped without separating anything.
std::string FieldString(std::string_view line) {
  std::size_t i = 0;
  while (i + 1 < line.size() && line[i] == ' ') ++i;
  std::string fields;
  bool mark = false;
  for (; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == ' ') {
      if (!mark) fields.push_back('%');
      mark = true;
    } else if (IsKept(c)) {
      fields.push_back(static_cast<char>(c));
      mark = false;
    }
  }
  return fields;
}

// Digits with at most one decimal mark, the scale's point read as the comma;
// a lone mark reads as 0. Fails on anything else and beyond the range of a
// double.
std::optional<double> FieldNumber(std::string_view field) {
  std::string text = PointToComma(field);
  if (text.empty()) return std::nullopt;
  bool comma = false, significant_integer = false;
  for (char& c : text) {
    if (c == ',') {
      if (comma) return std::nullopt;
      comma = true;
      c = '.';  // from_chars reads the point, whatever the locale
    } else if (c < '0' || c > '9') {
      return std::nullopt;
    } else if (!comma && c != '0') {
      significant_integer = true;
    }
  }
  if (text == ".") return 0.0;
  if (text.front() == '.') text.insert(text.begin(), '0');
  if (text.back() == '.') text.push_back('0');
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    if (significant_integer) return std::nullopt;  // too large
    return 0.0;  // a fraction too small to hold
  }
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

bool ParseBalanceRecord(std::string_view line, BalanceRecord& record) {
  if (line.empty()) return false;
  const std::string fields = FieldString(line);

  std::string field[5];
  for (int k = 0; k < 5; ++k) field[k] = StripSpaces(PercentField(fields, k));

  const auto number = FieldNumber(field[0]);
  if (!number) return false;
  const auto mass = FieldNumber(field[1]);
  if (!mass) return false;
  const auto total = FieldNumber(field[2]);
  if (!total) return false;

  // Halves to the even neighbour (the default rounding mode); a weighing
  // number that does not fit 32 bits is not a weighing number.
  const double rounded = std::nearbyint(*number);
  if (rounded > std::numeric_limits<std::int32_t>::max()) return false;

  record.Number = static_cast<std::int32_t>(rounded);
  record.Mass = *mass;
  record.Total = *total;
  record.Day = field[3];
  record.Time = field[4];
  // Length minus the position (from 1) of the first point, or the whole
  // length when there is none. An absurdly long field saturates rather than
  // wrapping round to a small count.
  const std::size_t point = field[1].find('.');
  const std::size_t decimals = field[1].size() - (point == std::string::npos ? 0 : point + 1);
  record.Decimals = static_cast<std::uint8_t>(decimals > 255 ? 255 : decimals);
  return true;
}
