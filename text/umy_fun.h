#pragma once

// Small text helpers used all over the program. A text is a std::string of
// Windows-1250 bytes: one byte, one character; comparisons are by byte.

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/baud_rate.h"

// The rate as decimal text ("9600" for brCustom, br128000 and br256000).
std::string BaudRateDigits(TBaudRate rate);
// Field n of a '%'-separated text (n <= 0 gives field 0).
std::string PercentField(std::string_view text, std::int32_t n);
std::string StripSpaces(std::string_view text);
std::string CommaToPoint(std::string_view text);
std::string PointToComma(std::string_view text);
// Right-aligns the text with leading blanks to `width`; never cuts.
std::string PadLeft(std::string_view text, std::int32_t width);
