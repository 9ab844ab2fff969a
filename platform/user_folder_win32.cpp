#include <windows.h>

#include <string>

#include "platform/user_folder.h"

namespace {

std::string Utf8(const wchar_t* text, int length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

// The wide variable: a profile folder named in letters outside the ANSI code
// page stays whole.
std::optional<std::string> UserFolder() {
  const DWORD size = GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0);
  if (size <= 1) return std::nullopt;
  std::wstring profile(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  return Utf8(profile.data(), static_cast<int>(length));
}

// The library's messages for Windows errors come in the ANSI code page; ask
// the system for the wide text instead. Errors of the generic category
// (errno values) keep the library's words.
std::string SystemErrorText(const std::error_code& error) {
  if (error.category() != std::system_category()) return error.message();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length > 0 ? Utf8(text, static_cast<int>(length)) : error.message();
  LocalFree(text);
  // The system ends its sentences with a full stop and CR LF.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}
