#pragma once

// Fixed-point writing of masses for the printouts: 18 significant digits,
// then half up to `decimals` places but at most 8 significant digits, a
// point as the decimal mark; exponent form when the integer part has more
// than 8 digits. Decimals above 18 count as 18.

#include <string>

std::string FormatMass(double value, int decimals);
