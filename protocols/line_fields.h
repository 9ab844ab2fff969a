#pragma once

// The pieces the line shapes are made of: blanks, a signed number, a unit.
// Each reader takes what it recognises from the front of the text it is
// given and reports whether it did.

#include <optional>
#include <span>
#include <string_view>

#include "protocols/scale_protocol.h"

namespace line_fields {

// Lines longer than this are never a reading or a status under any shape
// other than the bare number.
inline constexpr std::size_t kMaxLine = 64;

bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);
std::string_view SkipBlanks(std::string_view text);
bool IsPrintable(std::string_view text);

// Equal but for the letter case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// A command as a reply names it ("SI", "T"), and what it answers.
struct CommandWord {
  std::string_view text;
  ScaleCommand command;
};
const CommandWord* FindCommandWord(std::span<const CommandWord> known, std::string_view text);

// An optional sign ('+' or '-'), blanks between the sign and the digits
// when `blanksAfterSign`, then digits with at most one decimal point or
// comma. Fills value, number and decimals of `reading` and removes the
// number from the front of `text`.
bool ReadNumber(std::string_view& text, ScaleReading& reading, bool blanksAfterSign = true);

// A unit of mass, count or force ("kg", "g", "mg", "t", "ct", "lb", "oz",
// "pcs", "PC", "%", "N", ...), in any letter case, taken from the front of
// `text` up to the first character that is no letter or '%'.
bool ReadUnit(std::string_view& text, std::string_view& unit);
bool IsUnit(std::string_view unit);

// The status line kinds, to keep the readers short.
ClassifiedLine StatusLine(StatusKind kind, ScaleCommand command = ScaleCommand::None,
                          std::string_view code = {});
ClassifiedLine ReadingLine(ScaleReading reading);

}  // namespace line_fields

// The readers of the shapes, one per file; each returns Text for what it
// does not read without doubt.
ClassifiedLine ReadNumberLine(std::string_view line);      // liczba
ClassifiedLine ReadUnitLine(std::string_view line);        // jednostka
ClassifiedLine ReadCommandSetLine(std::string_view line);  // si
ClassifiedLine ReadHeaderLine(std::string_view line);      // st
ClassifiedLine ReadEscPLine(std::string_view line);        // esc_p
ClassifiedLine ReadFrameLine(std::string_view line);       // ramka
