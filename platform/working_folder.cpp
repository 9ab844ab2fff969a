#include "platform/working_folder.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string CannotUse(const std::string& folder, std::string_view what, const std::error_code& error) {
  return "Nie można " + std::string(what) + " folderu roboczego „" + folder + "”: " +
         error.message() + ".";
}

const char* NonEmpty(const char* text) { return text != nullptr && *text != '\0' ? text : nullptr; }

}  // namespace

bool HasMenuSwitch(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == kMenuSwitch) return true;
  }
  return false;
}

std::optional<std::string> MenuWorkingFolder() {
  const char* home = NonEmpty(std::getenv("HOME"));
  if (home == nullptr) home = NonEmpty(std::getenv("USERPROFILE"));
  if (home == nullptr) return std::nullopt;
  return (fs::path(home) / "Waga").string();
}

std::optional<std::string> EnterWorkingFolder(const std::string& folder) {
  std::error_code error;
  fs::create_directory(folder, error);
  if (error && error != std::errc::file_exists) return CannotUse(folder, "utworzyć", error);
  if (!fs::is_directory(folder, error)) {
    return "Nie można utworzyć folderu roboczego „" + folder +
           "”: istnieje już plik o tej nazwie.";
  }
  fs::current_path(folder, error);
  if (error) return CannotUse(folder, "otworzyć", error);
  return std::nullopt;
}

std::optional<std::string> EnterMenuWorkingFolder(int argc, char** argv) {
  if (!HasMenuSwitch(argc, argv)) return std::nullopt;
  const std::optional<std::string> folder = MenuWorkingFolder();
  if (!folder) {
    return "Nie można ustalić folderu domowego użytkownika, w którym ma być folder roboczy Waga.";
  }
  return EnterWorkingFolder(*folder);
}
