// The Start menu's working folder on Windows: %USERPROFILE%\Waga whatever
// letters the profile's name has, and reasons that stay readable UTF-8.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/working_folder.h"

namespace fs = std::filesystem;

TEST(WorkingFolderOnWindows, IsWagaInTheProfileWithPolishLetters) {
  const fs::path saved = fs::current_path(), profile = fs::temp_directory_path() / u8"profil-Łódź";
  const std::u8string utf8 = (profile / "Waga").u8string();
  const std::string folder(utf8.begin(), utf8.end());
  fs::remove_all(profile);
  fs::create_directory(profile);
  ASSERT_TRUE(SetEnvironmentVariableW(L"USERPROFILE", profile.c_str()));
  char program[] = "waga.exe", menu[] = "--menu";
  char* argv[] = {program, menu, nullptr};
  EXPECT_EQ(MenuWorkingFolder(), folder);
  EXPECT_EQ(EnterMenuWorkingFolder(2, argv), std::nullopt);
  EXPECT_TRUE(fs::equivalent(fs::current_path(), profile / "Waga"));
  fs::current_path(saved);

  // Gone: the reason names the folder and what the system said, without its CR LF.
  fs::remove_all(profile);
  const std::string error = EnterMenuWorkingFolder(2, argv).value_or("");
  const std::string start = "Nie można utworzyć folderu roboczego „" + folder + "”: ";
  EXPECT_EQ(error.rfind(start, 0), 0u) << error;
  EXPECT_GT(error.size(), start.size() + 2) << error;
  EXPECT_EQ(error.find('\r'), std::string::npos) << error;
  EXPECT_EQ(fs::current_path(), saved);
}
