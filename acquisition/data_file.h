#pragma once

// The data file: a text file that lines are appended to, one open-write-close
// per line. Names are Windows-1250 texts, relative to the working directory.

#include <string>

// Appends `text` and CR LF to the end of an existing file. While it writes it
// holds an exclusive advisory lock (flock), so that a cooperating program can
// read the file but not write it meanwhile. Never creates the file. On any
// failure (missing file, no permission, full disk, lock not obtained in a
// fraction of a second) it returns false and leaves the file as it was.
bool AppendDataFileLine(const std::string& fileName, const std::string& text);

// Creates an empty file unless one of that name exists; an existing file is
// left untouched. False when the file neither exists nor can be created.
bool CreateDataFileIfMissing(const std::string& fileName);
