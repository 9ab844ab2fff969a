// Writing "konfig.ini" on Windows: the text goes into a temporary file
// beside it, which then takes the old file's place in one step (ReplaceFileA,
// which keeps the old file's permissions; MoveFileExA when there is no old
// file). The new file gets the old one's attributes.

#include <windows.h>

#include "config/konfig/konfig.h"
#include "platform/win32/write_all.h"

namespace {

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

void SaveKonfig(const KonfigSettings& settings, const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return;

  const std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId());
  DeleteFileA(temporary.c_str());  // a leftover of a run that was killed mid-save
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  bool ok = WriteAll(file, KonfigText(settings));
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  // ReplaceFileA keeps them on Windows, not under every stand-in for it.
  if (ok && exists) SetFileAttributesA(temporary.c_str(), attributes);
  if (!ok || !PutInPlace(temporary, path, exists)) DeleteFileA(temporary.c_str());
}
