#include "platform/working_folder.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/user_folder.h"

namespace fs = std::filesystem;

namespace {

// Folder names are UTF-8 here; on Windows a narrow path would be read in the
// ANSI code page.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string CannotUse(const std::string& folder, std::string_view what, const std::error_code& error) {
  return "Nie można " + std::string(what) + " folderu roboczego „" + folder + "”: " +
         SystemErrorText(error) + ".";
}

}  // namespace

bool HasMenuSwitch(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == kMenuSwitch) return true;
  }
  return false;
}

std::optional<std::string> MenuWorkingFolder() {
  const std::optional<std::string> home = UserFolder();
  if (!home) return std::nullopt;
  return Utf8Of(PathOf(*home) / "Waga");
}

std::optional<std::string> EnterWorkingFolder(const std::string& folder) {
  const fs::path path = PathOf(folder);
  std::error_code error;
  fs::create_directory(path, error);
  if (error && error != std::errc::file_exists) return CannotUse(folder, "utworzyć", error);
  if (!fs::is_directory(path, error)) {
    return "Nie można utworzyć folderu roboczego „" + folder +
           "”: istnieje już plik o tej nazwie.";
  }
  fs::current_path(path, error);
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
