#pragma once

#include <string>

// Sets the line "COMn=<path>" in <dir>/porty.ini: a line whose key (before
// '=', blanks ignored, any letter case) is the COM name is replaced, every
// other line is kept, and the file is created when missing. Written to a
// temporary file and renamed, so a reader never sees half a file.
bool WritePortyIni(const std::string& dir, const std::string& com, const std::string& path,
                   std::string& error);
