#pragma once

// Writes every byte of `bytes` to an open file; false when the system stops
// taking them.

#include <windows.h>

#include <cstddef>
#include <string>

inline bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(bytes.size() - done);
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}
