#include <io.h>
#include <windows.h>

#include "database/file_identity.h"

bool IdentifyFile(std::FILE* file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
  identity.id = std::to_string(info.dwVolumeSerialNumber) + ":" +
                std::to_string((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
  identity.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

std::string SystemFileName(const std::string& cp1250Name) { return cp1250Name; }
