#include <windows.h>

#include <limits>

#include "platform/free_space.h"

std::int64_t FreeDiskSpace() {
  ULARGE_INTEGER available{};
  // No directory: the disk of the working directory. The count is what this
  // user may take, with quotas.
  if (!GetDiskFreeSpaceExA(nullptr, &available, nullptr, nullptr)) return -1;
  const auto max = static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max());
  return static_cast<std::int64_t>(available.QuadPart > max ? max : available.QuadPart);
}
