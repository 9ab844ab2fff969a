#pragma once

// Windows-1250 texts to and from UTF-8 (for literals and for the Qt boundary).

#include <string>
#include <string_view>

// Every byte maps to a character; the five unassigned bytes (0x81, 0x83,
// 0x88, 0x90, 0x98) map to the C1 controls U+0081 ... U+0098, so every
// byte round-trips.
std::string Cp1250ToUtf8(std::string_view text);
// Characters without a Windows-1250 byte become '?'; invalid UTF-8 too.
std::string Utf8ToCp1250(std::string_view text);
