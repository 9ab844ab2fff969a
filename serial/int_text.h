#pragma once

// The integer conversion of text, the one for every setting of the program
// and of the serial component (konfig.ini values, the preview limit field,
// the settings store, "#<code>" characters, port numbers): leading blanks,
// then an optional sign and decimal digits, or, without a sign, hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; the value must fit a signed
// 32-bit integer ("$FFFFFFFF" does not). Anything else (empty text, a
// trailing blank, an overflow) fails.

#include <cstdint>
#include <optional>
#include <string_view>

std::optional<std::int32_t> TextToInt(std::string_view text);
