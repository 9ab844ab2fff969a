// st: a two-letter header, a comma, the data (sign, digits with leading
// zeros or blanks, a point) and the unit right-aligned in three:
// "ST,GS,+0012.34kg", "US,NT,-  0.200kg", "ST,+001234.5  g",
// "QT,+00012345 PC", "OL,..." overload. A second header (GS gross, NT net,
// TR tare) and an RS-485 address before the first may come; some put a comma
// before the unit. "EC,Exx" is a refusal, the single byte 06h an
// acknowledgement.

#include "protocols/line_fields.h"

using namespace line_fields;

namespace {

bool StartsWithHeader(std::string_view text, std::string_view header) {
  return text.size() >= 3 && text.substr(0, 2) == header && text[2] == ',';
}

}  // namespace

ClassifiedLine ReadHeaderLine(std::string_view line) {
  if (line == "\x06") return StatusLine(StatusKind::Accepted);
  if (line.size() > kMaxLine || !IsPrintable(line)) return {};
  std::string_view text = TrimBlanks(line);
  // The address: two digits glued to the header.
  if (text.size() > 2 && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9')
    text.remove_prefix(2);

  if (StartsWithHeader(text, "EC")) {
    const std::string_view code = TrimBlanks(text.substr(3));
    if (code.empty()) return {};
    return StatusLine(StatusKind::Error, ScaleCommand::None, code);
  }
  if (StartsWithHeader(text, "OL")) return StatusLine(StatusKind::Overload);

  ScaleReading reading;
  if (StartsWithHeader(text, "ST") || StartsWithHeader(text, "QT")) {
    reading.stability = Stability::Stable;
  } else if (StartsWithHeader(text, "US")) {
    reading.stability = Stability::Motion;
  } else {
    return {};
  }
  text.remove_prefix(3);
  if (StartsWithHeader(text, "GS")) {
    reading.kind = WeightKind::Gross;
    text.remove_prefix(3);
  } else if (StartsWithHeader(text, "NT")) {
    reading.kind = WeightKind::Net;
    text.remove_prefix(3);
  } else if (StartsWithHeader(text, "TR")) {
    text.remove_prefix(3);
  }
  text = SkipBlanks(text);
  if (!ReadNumber(text, reading)) return {};
  if (!text.empty() && text.front() == ',') text.remove_prefix(1);
  text = SkipBlanks(text);
  std::string_view unit;
  if (!text.empty() && !ReadUnit(text, unit)) return {};
  if (!text.empty()) return {};
  reading.unit = std::string(unit);
  return ReadingLine(std::move(reading));
}
