// esc_p: the answer to ESC P. Sixteen characters with the line end: the sign
// ('+', '-' or blank), a blank, the value in eight (blanks before it), a
// blank, the unit left-aligned in three or blanks - a line without a unit
// is not stable. Twenty-two when a six-character identifier comes first
// ("N", "G#", "T", "Qnt", ...). Blanks with H / HH in the middle are
// overload, L / LL underload, C a scale that cannot weigh now; "Err ###" an
// error. Digits not verified may come in brackets ("123.5[6]").

#include <string>

#include "protocols/line_fields.h"

using namespace line_fields;

namespace {

// Without the line end and with the unit's trailing blanks possibly gone.
constexpr std::size_t kBody = 14;
constexpr std::size_t kIdentifier = 6;

ClassifiedLine ReadBody(std::string_view body, WeightKind kind) {
  const std::string_view middle = TrimBlanks(body);
  if (middle == "H" || middle == "HH") return StatusLine(StatusKind::Overload);
  if (middle == "L" || middle == "LL") return StatusLine(StatusKind::Underload);
  if (middle == "C") return StatusLine(StatusKind::Busy, ScaleCommand::None, "C");
  if (middle.starts_with("Err ") || middle.starts_with("Err-")) {
    const std::string_view digits = TrimBlanks(middle.substr(4));
    if (digits.empty()) return {};
    for (char c : digits) {
      if (c < '0' || c > '9') return {};
    }
    return StatusLine(StatusKind::Error, ScaleCommand::None, middle);
  }

  if (body.size() < 10 || body.size() > kBody) return {};
  const char sign = body[0];
  if ((sign != '+' && sign != '-' && sign != ' ') || body[1] != ' ') return {};
  if (body.size() > 10 && body[10] != ' ') return {};
  std::string value;
  if (sign != ' ') value.push_back(sign);
  std::string_view field = SkipBlanks(body.substr(2, 8));
  if (field.empty()) return {};
  for (char c : field) {
    if (c == '[' || c == ']') continue;  // digits not verified are digits still
    value.push_back(c);
  }
  std::string_view number = value;
  ScaleReading reading;
  if (!ReadNumber(number, reading, false) || !number.empty()) return {};
  const std::string_view unitField = body.size() > 11 ? TrimBlanks(body.substr(11)) : std::string_view();
  if (!unitField.empty()) {
    std::string_view rest = unitField;
    std::string_view unit;
    // Left-aligned: no blank before it.
    if (body[11] == ' ' || !ReadUnit(rest, unit) || !rest.empty()) return {};
    reading.unit = std::string(unit);
  }
  reading.stability = unitField.empty() ? Stability::Motion : Stability::Stable;
  reading.kind = kind;
  return ReadingLine(std::move(reading));
}

}  // namespace

ClassifiedLine ReadEscPLine(std::string_view line) {
  if (line.size() > kMaxLine || !IsPrintable(line)) return {};
  if (line.size() <= kBody) {
    ClassifiedLine plain = ReadBody(line, WeightKind::Unknown);
    if (plain.kind != LineKind::Text || line.size() <= kIdentifier) return plain;
  }
  if (line.size() > kIdentifier + kBody) return {};
  const std::string_view id = TrimBlanks(line.substr(0, kIdentifier));
  if (id.empty() || IsBlank(line[0])) return {};
  for (char c : id) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
    if (!ok) return {};
  }
  WeightKind kind = WeightKind::Unknown;
  if (id == "N" || id == "NET") kind = WeightKind::Net;
  if (id == "G" || id == "G#") kind = WeightKind::Gross;
  return ReadBody(line.substr(kIdentifier), kind);
}
