// The new file takes the old one's place in one step: ReplaceFileA keeps
// the old file's permissions; MoveFileExA serves when there is no old file.
// The new file gets the old one's attributes.

#include <windows.h>

#include "serial/stored_file.h"

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool PutInPlace(const std::string& temporary, const std::string& path, bool exists) {
  if (exists && ReplaceFileA(path.c_str(), temporary.c_str(), nullptr,
                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return true;
  }
  // Also when the old file went away meanwhile.
  return MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

int ReplaceStoredFile(const std::string& path, std::string_view bytes) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return ERROR_ACCESS_DENIED;
  }

  const std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId());
  DeleteFileA(temporary.c_str());  // a leftover of a run that was killed mid-write
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  DWORD error = 0;
  if (!WriteAll(file, bytes)) error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
  if (!FlushFileBuffers(file) && error == 0) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  // ReplaceFileA keeps them on Windows, not under every stand-in for it.
  if (error == 0 && exists) SetFileAttributesA(temporary.c_str(), attributes);
  if (error == 0 && !PutInPlace(temporary, path, exists)) error = GetLastError();
  if (error != 0) DeleteFileA(temporary.c_str());
  return static_cast<int>(error);
}
