#pragma once

// Writing a port's line into porty.ini.

#include <string>

// The text of porty.ini with `port` mapped to `path`: the line that counts
// for the port now (the first with its name) gets the new path, anything
// after the old path (separated by a blank) stays; without such a line one
// is appended. Every other line stays as and where it was. Lines end in
// CR LF.
std::string PortMapTextWith(const std::string& text, const std::string& port, const std::string& path);

// Rewrites `file` with PortMapTextWith through a temporary file beside it;
// returns 0 or the errno of the failed step (the old file then stays).
int WritePortMapLine(const std::string& file, const std::string& port, const std::string& path);
