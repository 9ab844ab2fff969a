#pragma once

// Which file an open stream reads (device and inode on Linux, volume and
// file index on Windows) and how long it is now.

#include <cstdio>
#include <string>

struct FileIdentity {
  std::string id;
  unsigned long long size = 0;
};

bool IdentifyFile(std::FILE* file, FileIdentity& identity);

// The name under which the system knows a data file that the program names
// in Windows-1250 (UTF-8 on Linux, the name itself on Windows).
std::string SystemFileName(const std::string& cp1250Name);
