#include "platform/free_space.h"

#include <sys/statvfs.h>

#include <limits>

std::int64_t FreeDiskSpace() {
  struct statvfs st {};
  if (::statvfs(".", &st) != 0) return -1;
  const unsigned long long bytes =
      static_cast<unsigned long long>(st.f_bavail) * static_cast<unsigned long long>(st.f_frsize);
  const auto max = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
  return static_cast<std::int64_t>(bytes > max ? max : bytes);
}
