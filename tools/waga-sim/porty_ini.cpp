#include "tools/waga-sim/porty_ini.h"

#include <cstring>
#include <filesystem>

#include "serial/posix/porty_ini.h"

bool WritePortyIni(const std::string& dir, const std::string& com, const std::string& path,
                   std::string& error) {
  const std::string file = (std::filesystem::path(dir) / kPortMapFileName).string();
  if (const int code = WritePortMapLine(file, com, path)) {
    error = "cannot write " + file + ": " + std::strerror(code);
    return false;
  }
  return true;
}
