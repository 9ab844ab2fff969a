#pragma once

// Texts between the program (Windows-1250 bytes) and the widgets.

#include <QString>
#include <string>

#include "acquisition/text/win1250.h"

inline QString WidgetText(const std::string& cp1250) {
  return QString::fromStdString(Cp1250ToUtf8(cp1250));
}
inline std::string ProgramText(const QString& text) { return Utf8ToCp1250(text.toStdString()); }
// A Polish literal of this source (UTF-8) as a program text.
inline std::string Literal(const char* utf8) { return Utf8ToCp1250(utf8); }
