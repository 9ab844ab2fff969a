#include <cerrno>
#include <cstdio>

#include "export/target_file.h"

// Nothing stops a rename over an open file here; lock files tell instead.
bool HeldOpenBySystem(const std::string&) { return false; }

std::optional<std::string> PutInPlace(const std::string& temporary, const std::string& target) {
  if (std::rename(temporary.c_str(), target.c_str()) == 0) return std::nullopt;
  const int error = errno;
  std::remove(temporary.c_str());
  return CannotWrite(target, ErrnoReason(error));
}
