// The single-instance marker on Windows: a named mapping of 32 bytes of the
// paging file. The system drops it with the last handle, so an instance that
// was killed never blocks the next start.

#include <windows.h>

#include "platform/instance_marker.h"

namespace {

constexpr DWORD kMarkerSize = 32;

}  // namespace

// On Windows the "path" is the name of the mapping.
std::string DefaultInstanceMarkerPath() { return "ApplicationTestMap"; }

bool InstanceMarker::Claim(const std::string& name) {
  Release();
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0,
                                      kMarkerSize, name.c_str());
  const DWORD error = GetLastError();
  // A marker that cannot be made at all does not keep the program from
  // running.
  if (mapping == nullptr) return true;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mapping);
    return false;
  }
  // Kernel handles keep their meaning in 32 bits (HandleToLong); they are
  // positive, so the marker's descriptor field holds one as it is.
  fd_ = HandleToLong(mapping);
  return true;
}

void InstanceMarker::Release() {
  if (fd_ < 0) return;
  CloseHandle(LongToHandle(fd_));
  fd_ = -1;
}
