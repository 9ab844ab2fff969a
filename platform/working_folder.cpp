#include "platform/working_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

std::string CannotUse(const std::string& folder, std::string_view what, int error) {
  return "Nie można " + std::string(what) + " folderu roboczego „" + folder + "”: " +
         std::strerror(error) + ".";
}

}  // namespace

bool HasMenuSwitch(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == kMenuSwitch) return true;
  }
  return false;
}

std::optional<std::string> MenuWorkingFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
    home = env;
  } else if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    home = user->pw_dir;
  }
  if (home.empty()) return std::nullopt;
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return (home == "/" ? "" : home) + "/Waga";
}

std::optional<std::string> EnterWorkingFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    return CannotUse(folder, "utworzyć", errno);
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return CannotUse(folder, "otworzyć", errno);
  if (!S_ISDIR(info.st_mode)) {
    return "Nie można utworzyć folderu roboczego „" + folder +
           "”: istnieje już plik o tej nazwie.";
  }
  if (chdir(folder.c_str()) != 0) return CannotUse(folder, "otworzyć", errno);
  return std::nullopt;
}

std::optional<std::string> EnterMenuWorkingFolder(int argc, char** argv) {
  if (!HasMenuSwitch(argc, argv)) return std::nullopt;
  const std::optional<std::string> folder = MenuWorkingFolder();
  if (!folder) return "Nie można ustalić folderu domowego użytkownika, w którym ma być folder roboczy Waga.";
  return EnterWorkingFolder(*folder);
}
