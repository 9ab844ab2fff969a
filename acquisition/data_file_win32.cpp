// The data file on Windows: names are passed to the system's ANSI calls as
// they are (Windows-1250 is the ANSI code page the program is made for).
// While a line is written others may read the file but not write it.

#include <windows.h>

#include "acquisition/data_file.h"

namespace {

// Every byte of `bytes` into the open file; false when the system stops
// taking them.
bool WriteAll(HANDLE file, const std::string& bytes) {
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

// Another program writing the file delays a line at most this long.
constexpr int kOpenAttempts = 25;
constexpr DWORD kOpenRetryMs = 10;

HANDLE OpenForAppend(const std::string& fileName) {
  for (int attempt = 0;; ++attempt) {
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        attempt + 1 == kOpenAttempts) {
      return file;
    }
    Sleep(kOpenRetryMs);
  }
}

}  // namespace

bool AppendDataFileLine(const std::string& fileName, const std::string& text) {
  if (fileName.empty()) return false;
  HANDLE file = OpenForAppend(fileName);
  if (file == INVALID_HANDLE_VALUE) return false;
  // A device name (COM1, CON, a pipe) is no data file.
  LARGE_INTEGER end{};
  bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &end) &&
            SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  if (ok && !WriteAll(file, text + "\r\n")) {
    // A write cut short (a full disk) leaves no half line behind; no one else
    // can have written meanwhile.
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
    ok = false;
  }
  if (!CloseHandle(file)) ok = false;
  return ok;
}

bool CreateDataFileIfMissing(const std::string& fileName) {
  if (fileName.empty()) return false;
  HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  return CloseHandle(file) != 0;
}
