// The Start menu's working folder on Windows: %USERPROFILE%\Waga, whatever
// letters the profile's name has, and reasons that stay readable UTF-8.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/working_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(WorkingFolderOnWindows, IsWagaInTheProfileWithPolishLetters) {
  const fs::path saved = fs::current_path();
  const fs::path profile = fs::temp_directory_path() / u8"waga-profil-Łódź-żółć";
  fs::remove_all(profile);
  fs::create_directory(profile);
  ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", profile.c_str()));
  char program[] = "waga.exe";
  char menu[] = "--menu";
  char* argv[] = {program, menu, nullptr};

  EXPECT_EQ(MenuWorkingFolder(), Utf8(profile / "Waga"));
  EXPECT_EQ(EnterMenuWorkingFolder(2, argv), std::nullopt);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), profile / "Waga"));
  fs::current_path(saved);

  // A profile folder that is gone: the reason names the folder and what
  // the system said, without the system's line end.
  fs::remove_all(profile);
  const std::optional<std::string> error = EnterMenuWorkingFolder(2, argv);
  ASSERT_TRUE(error.has_value());
  const std::string start = "Nie można utworzyć folderu roboczego „" + Utf8(profile / "Waga") + "”: ";
  EXPECT_EQ(error->rfind(start, 0), 0u) << *error;
  EXPECT_GT(error->size(), start.size() + 2) << *error;
  EXPECT_EQ(error->find('\r'), std::string::npos) << *error;
  EXPECT_EQ(fs::current_path(), saved);

  SetEnvironmentVariableW(L"USERPROFILE", nullptr);
  EXPECT_EQ(MenuWorkingFolder(), std::nullopt);
}

}  // namespace
