#include <windows.h>

#include <cstdio>

#include "export/target_file.h"

namespace {

std::string Win32Reason(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: return "brak dostępu";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "nie ma takiego katalogu";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "brak miejsca na dysku";
    case ERROR_WRITE_PROTECT: return "dysk chroniony przed zapisem";
    default: return "błąd systemu " + std::to_string(error);
  }
}

}  // namespace

// A program that has the file open without letting others write it (Excel
// does) makes an exclusive open fail with a sharing violation.
bool HeldOpenBySystem(const std::string& target) {
  const HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::optional<std::string> PutInPlace(const std::string& temporary, const std::string& target) {
  if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return std::nullopt;
  }
  const DWORD error = GetLastError();
  std::remove(temporary.c_str());
  if (auto held = TargetHeldOpen(target)) return held;
  return CannotWrite(target, Win32Reason(error));
}
