#include <sys/stat.h>

#include "database/file_identity.h"
#include "text/win1250.h"

bool IdentifyFile(std::FILE* file, FileIdentity& identity) {
  struct stat st {};
  if (fstat(fileno(file), &st) != 0) return false;
  identity.id = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  identity.size = static_cast<unsigned long long>(st.st_size);
  return true;
}

std::string SystemFileName(const std::string& cp1250Name) { return Cp1250ToUtf8(cp1250Name); }
