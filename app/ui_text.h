#pragma once

// Texts between the program (Windows-1250 bytes) and the widgets.

#include <string>

#include "text/win1250.h"
#include "platform/qt_text.h"

// A Polish literal of this source (UTF-8) as a program text.
inline std::string Literal(const char* utf8) { return Utf8ToCp1250(utf8); }
