#include <cstdlib>

#include "platform/user_folder.h"

namespace {

const char* NonEmpty(const char* text) { return text != nullptr && *text != '\0' ? text : nullptr; }

}  // namespace

std::optional<std::string> UserFolder() {
  const char* home = NonEmpty(std::getenv("HOME"));
  if (home == nullptr) home = NonEmpty(std::getenv("USERPROFILE"));
  if (home == nullptr) return std::nullopt;
  return std::string(home);
}

std::string SystemErrorText(const std::error_code& error) { return error.message(); }
