#pragma once

// The boundary between the program's Windows-1250 texts and Qt's strings.

#include <QString>
#include <string>

// Every byte becomes one character; nothing is lost on the way back.
QString ToQString(const std::string& cp1250);
// Characters without a Windows-1250 byte become '?'.
std::string FromQString(const QString& text);
