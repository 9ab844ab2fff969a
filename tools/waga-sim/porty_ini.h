#pragma once

#include <string>

// Maps `com` to `path` in <dir>/porty.ini (WritePortMapLine: the port's line
// gets the new path and keeps its line format, every other line stays, the
// file is created when missing). False with the reason in `error`.
bool WritePortyIni(const std::string& dir, const std::string& com, const std::string& path,
                   std::string& error);
