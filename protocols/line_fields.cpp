#include "protocols/line_fields.h"

#include <array>
#include <charconv>
#include <string>

namespace line_fields {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::array<std::string_view, 20> kUnits = {
    "mg", "g",  "kg", "t",   "ct", "lb", "lbs", "oz", "ozt", "dwt",
    "gn", "tl", "pcs", "pc", "%",  "n",  "kn",  "dn", "mom", "msg"};

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  text = SkipBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsPrintable(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t') return false;
    if (byte >= 0x7f) return false;
  }
  return true;
}

bool ReadNumber(std::string_view& text, ScaleReading& reading, bool blanksAfterSign) {
  std::string_view rest = text;
  std::string value;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    value.push_back(rest.front());
    rest.remove_prefix(1);
    if (blanksAfterSign) rest = SkipBlanks(rest);
  }
  std::size_t digits = 0, decimals = 0;
  bool mark = false;
  while (!rest.empty()) {
    const char c = rest.front();
    if (IsDigit(c)) {
      ++digits;
      if (mark) ++decimals;
    } else if ((c == '.' || c == ',') && !mark) {
      mark = true;
    } else {
      break;
    }
    value.push_back(c == ',' ? '.' : c);
    rest.remove_prefix(1);
  }
  if (digits == 0) return false;
  // from_chars wants no '+', and digits on both sides of the mark.
  std::string plain;
  plain.reserve(value.size() + 2);
  for (char c : value) {
    if (c == '+') continue;
    if (c == '.' && (plain.empty() || plain.back() == '-')) plain.push_back('0');
    plain.push_back(c);
  }
  if (plain.back() == '.') plain.push_back('0');
  double number = 0;
  const char* last = plain.data() + plain.size();
  const auto result = std::from_chars(plain.data(), last, number);
  if (result.ec != std::errc() || result.ptr != last) return false;
  reading.value = std::move(value);
  reading.number = number;
  reading.decimals = static_cast<int>(decimals);
  text = rest;
  return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

const CommandWord* FindCommandWord(std::span<const CommandWord> known, std::string_view text) {
  for (const CommandWord& word : known) {
    if (word.text == text) return &word;
  }
  return nullptr;
}

bool IsUnit(std::string_view unit) {
  if (unit.empty() || unit.size() > 3) return false;
  for (std::string_view known : kUnits) {
    if (SameIgnoringCase(unit, known)) return true;
  }
  return false;
}

bool ReadUnit(std::string_view& text, std::string_view& unit) {
  std::size_t n = 0;
  while (n < text.size() && (IsLetter(text[n]) || text[n] == '%')) ++n;
  if (!IsUnit(text.substr(0, n))) return false;
  unit = text.substr(0, n);
  text.remove_prefix(n);
  return true;
}

ClassifiedLine StatusLine(StatusKind kind, ScaleCommand command, std::string_view code) {
  ClassifiedLine out;
  out.kind = LineKind::Status;
  out.status.kind = kind;
  out.status.command = command;
  out.status.code = std::string(code);
  return out;
}

ClassifiedLine ReadingLine(ScaleReading reading) {
  ClassifiedLine out;
  out.kind = LineKind::Reading;
  out.reading = std::move(reading);
  return out;
}

}  // namespace line_fields
