// jednostka: a number with its unit, as continuous outputs send it. An
// optional G/N/T or gross/net word first, an optional '?' (in motion)
// before or after, the sign glued or in a column of its own. A bare number
// is read too (no unit); anything left over makes the line text, which keeps
// the balance records ("001     45.23 kg     45.23 kg") on the text path.

#include <array>

#include "protocols/line_fields.h"

using namespace line_fields;

namespace {

struct KindWord {
  std::string_view word;
  WeightKind kind;
};

constexpr std::array<KindWord, 9> kKindWords = {{{"G", WeightKind::Gross},
                                                 {"N", WeightKind::Net},
                                                 {"T", WeightKind::Unknown},
                                                 {"GROSS", WeightKind::Gross},
                                                 {"NET", WeightKind::Net},
                                                 {"BRUTTO", WeightKind::Gross},
                                                 {"NETTO", WeightKind::Net},
                                                 {"GS", WeightKind::Gross},
                                                 {"NT", WeightKind::Net}}};

// The word before the number, followed by a blank or a colon.
bool ReadKindWord(std::string_view& text, WeightKind& kind) {
  std::size_t n = 0;
  while (n < text.size() && ((text[n] >= 'a' && text[n] <= 'z') || (text[n] >= 'A' && text[n] <= 'Z')))
    ++n;
  if (n == 0 || n == text.size() || (!IsBlank(text[n]) && text[n] != ':')) return false;
  for (const KindWord& known : kKindWords) {
    if (SameIgnoringCase(text.substr(0, n), known.word)) {
      kind = known.kind;
      text.remove_prefix(n + (text[n] == ':' ? 1 : 0));
      return true;
    }
  }
  return false;
}

bool ReadMotionMark(std::string_view& text) {
  if (text.empty() || text.front() != '?') return false;
  text = SkipBlanks(text.substr(1));
  return true;
}

}  // namespace

ClassifiedLine ReadUnitLine(std::string_view line) {
  if (line.size() > kMaxLine || !IsPrintable(line)) return {};
  std::string_view rest = TrimBlanks(line);
  ScaleReading reading;
  bool motion = ReadMotionMark(rest);
  if (ReadKindWord(rest, reading.kind)) rest = SkipBlanks(rest);
  motion = ReadMotionMark(rest) || motion;
  if (!ReadNumber(rest, reading)) return {};
  rest = SkipBlanks(rest);
  std::string_view unit;
  if (ReadUnit(rest, unit)) reading.unit = std::string(unit);
  rest = SkipBlanks(rest);
  motion = ReadMotionMark(rest) || motion;
  if (!rest.empty()) return {};
  reading.stability = motion ? Stability::Motion : Stability::Unknown;
  return ReadingLine(std::move(reading));
}
