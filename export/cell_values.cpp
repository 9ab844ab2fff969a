#include "export/cell_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "export/file_names.h"
#include "export/sheet_rows.h"
#include "text/clock.h"
#include "text/number_text.h"
#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

bool Digits(std::string_view text, std::size_t from, std::size_t count, int& value) {
  if (from + count > text.size()) return false;
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

std::optional<double> Day(int year, int month, int day) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1901 || year > 9999 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return std::nullopt;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return std::nullopt;
  return EncodeDateTime({.year = year, .month = month, .day = day});
}

// Characters that the record parser keeps: the comma, '.', '/', digits, ':'.
bool IsKept(char c) { return c == ',' || (c >= '.' && c <= ':'); }

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t follow = c < 0x80                ? 0
                               : c >= 0xC2 && c <= 0xDF ? 1
                               : c >= 0xE0 && c <= 0xEF ? 2
                               : c >= 0xF0 && c <= 0xF4 ? 3
                                                        : 4;
    if (follow > 3 || text.size() - i <= follow) return false;
    for (std::size_t k = 1; k <= follow; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

}  // namespace

std::string IsoDay(double day) {
  const DateTimeParts p = DecodeDateTime(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
  return text;
}

std::optional<double> StampDay(std::string_view text) {
  int year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '/' || text[7] != '/' || !Digits(text, 0, 4, year) ||
      !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day)) {
    return std::nullopt;
  }
  return Day(year, month, day);
}

std::optional<double> StampTime(std::string_view text) {
  int hour = 0, minute = 0;
  if (text.size() != 5 || text[2] != ':' || !Digits(text, 0, 2, hour) || !Digits(text, 3, 2, minute) ||
      hour > 23 || minute > 59) {
    return std::nullopt;
  }
  return (hour * 60 + minute) / 1440.0;
}

std::optional<double> FileNameDay(std::string_view path) {
  const std::string name = NameOf(path);
  int year = 0, month = 0, day = 0;
  if (name.size() != 8 || !Digits(name, 0, 4, year) || !Digits(name, 4, 2, month) ||
      !Digits(name, 6, 2, day)) {
    return std::nullopt;
  }
  return Day(year, month, day);
}

std::string RecordUnit(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  while (i < line.size() && line[i] != ' ') ++i;  // the weighing number
  while (i < line.size() && line[i] == ' ') ++i;
  while (i < line.size() && (IsKept(line[i]) || line[i] == '-' || line[i] == '+')) ++i;  // the mass
  std::size_t end = i;
  while (end < line.size() && !IsKept(line[end])) ++end;  // up to the total
  const auto trimmed = [](char c) { return c == ' ' || c == '-' || c == '+' || c == '\t'; };
  while (i < end && trimmed(line[i])) ++i;
  while (end > i && trimmed(line[end - 1])) --end;
  return Cp1250ToUtf8(line.substr(i, end - i));
}

std::optional<ReadingValue> ParseReading(std::string_view line) {
  const std::string text = PointToComma(StripSpaces(line));
  const auto value = TextToExtended(text);
  if (!value || !std::isfinite(static_cast<double>(*value))) return std::nullopt;
  ReadingValue reading{static_cast<double>(*value), 0};
  const std::size_t comma = text.find(',');
  if (comma != std::string::npos) {
    const std::size_t exponent = text.find_first_of("eE", comma);
    const std::size_t end = exponent == std::string::npos ? text.size() : exponent;
    reading.decimals = static_cast<int>(std::min<std::size_t>(end - comma - 1, kMaxDecimals));
  }
  return reading;
}

bool HoldsBinary(std::string_view line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
  }
  return false;
}

std::string AsUtf8(std::string_view text) { return IsUtf8(text) ? std::string(text) : Cp1250ToUtf8(text); }

std::string CommaNumber(double value, int decimals) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                              std::clamp(decimals, 0, kMaxDecimals));
  // A total written with fewer decimals than the mass's (45.5 kg, 91.25 kg)
  // keeps all of its own rather than lose them.
  double back = 0;
  std::from_chars(buffer, result.ptr, back);
  if (back != value) result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c == '.') c = ',';
  }
  return text;
}
