#pragma once

// Conversions of text to numbers. The decimal mark is always the comma,
// whatever the machine's locale: the program is made for Polish settings.

#include <cstdint>
#include <optional>
#include <string_view>

// TextToInt, the integer conversion, lives with the serial component, which
// uses nothing of the program.
#include "serial/int_text.h"

// The whole text as a floating-point number: optional sign, digits with at
// most one ',' (at least a digit or the comma), optional exponent ('E'/'e',
// optional sign, digits that may be missing). Fails outside the range of an
// 80-bit extended float.
std::optional<long double> TextToExtended(std::string_view text);

// The reading test: a line is a reading when, after StripSpaces and
// PointToComma, it converts as a whole with TextToExtended.
bool IsReading(std::string_view line);
