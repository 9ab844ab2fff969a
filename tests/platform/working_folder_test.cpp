#include "platform/working_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Each test gets its own temporary home; the current directory and $HOME
// are put back afterwards.
class WorkingFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_cwd_ = fs::current_path();
    if (const char* home = std::getenv("HOME")) saved_home_ = home;
    char pattern[] = "/tmp/waga-home-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = fs::canonical(pattern);
    setenv("HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    fs::current_path(saved_cwd_);
    if (saved_home_) {
      setenv("HOME", saved_home_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
    chmod(home_.c_str(), 0700);
    fs::remove_all(home_);
  }

  static std::optional<std::string> StartFromMenu() {
    char program[] = "waga";
    char menu[] = "--menu";
    char* argv[] = {program, menu, nullptr};
    return EnterMenuWorkingFolder(2, argv);
  }

  fs::path saved_cwd_;
  std::optional<std::string> saved_home_;
  fs::path home_;
};

TEST_F(WorkingFolderTest, OnlyTheMenuSwitchAsksForTheFolder) {
  char program[] = "waga";
  char menu[] = "--menu";
  char other[] = "--menux";
  char* with[] = {program, other, menu, nullptr};
  char* without[] = {program, other, nullptr};
  EXPECT_TRUE(HasMenuSwitch(3, with));
  EXPECT_FALSE(HasMenuSwitch(2, without));
  EXPECT_FALSE(HasMenuSwitch(1, with));

  // Without the switch nothing is created and the directory stays.
  EXPECT_EQ(EnterMenuWorkingFolder(2, without), std::nullopt);
  EXPECT_EQ(fs::current_path(), saved_cwd_);
  EXPECT_FALSE(fs::exists(home_ / "Waga"));
}

TEST_F(WorkingFolderTest, FolderIsInTheHomeFolder) {
  EXPECT_EQ(MenuWorkingFolder(), (home_ / "Waga").string());
  setenv("HOME", (home_.string() + "/").c_str(), 1);
  EXPECT_EQ(MenuWorkingFolder(), (home_ / "Waga").string());
  setenv("HOME", "/", 1);
  EXPECT_EQ(MenuWorkingFolder(), "/Waga");
  // An empty or missing $HOME falls back to %USERPROFILE%; without either
  // there is no folder.
  const char* profile = std::getenv("USERPROFILE");
  const std::optional<std::string> saved_profile =
      profile != nullptr ? std::optional<std::string>(profile) : std::nullopt;
  setenv("HOME", "", 1);
  setenv("USERPROFILE", home_.c_str(), 1);
  EXPECT_EQ(MenuWorkingFolder(), (home_ / "Waga").string());
  unsetenv("HOME");
  unsetenv("USERPROFILE");
  EXPECT_EQ(MenuWorkingFolder(), std::nullopt);
  const std::optional<std::string> error = StartFromMenu();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("folderu domowego"), std::string::npos) << *error;
  EXPECT_EQ(fs::current_path(), saved_cwd_);
  if (saved_profile) setenv("USERPROFILE", saved_profile->c_str(), 1);
}

TEST_F(WorkingFolderTest, MissingFolderIsCreatedAndEntered) {
  EXPECT_EQ(StartFromMenu(), std::nullopt);
  EXPECT_TRUE(fs::is_directory(home_ / "Waga"));
  EXPECT_EQ(fs::current_path(), home_ / "Waga");
}

TEST_F(WorkingFolderTest, ExistingFolderKeepsItsFiles) {
  fs::create_directory(home_ / "Waga");
  std::ofstream(home_ / "Waga" / "konfig.ini") << "port=COM3\n";
  EXPECT_EQ(StartFromMenu(), std::nullopt);
  EXPECT_EQ(fs::current_path(), home_ / "Waga");
  std::ifstream kept("konfig.ini");
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "port=COM3");
}

TEST_F(WorkingFolderTest, FolderBehindASymbolicLinkIsUsed) {
  fs::create_directory(home_ / "elsewhere");
  fs::create_directory_symlink(home_ / "elsewhere", home_ / "Waga");
  EXPECT_EQ(StartFromMenu(), std::nullopt);
  EXPECT_EQ(fs::current_path(), home_ / "elsewhere");
}

TEST_F(WorkingFolderTest, FailuresNameTheFolderAndLeaveTheDirectory) {
  // A file where the folder should be.
  std::ofstream(home_ / "Waga") << "not a folder";
  std::optional<std::string> error = StartFromMenu();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("Nie można utworzyć folderu roboczego „" + (home_ / "Waga").string() + "”"),
            std::string::npos)
      << *error;
  EXPECT_EQ(fs::current_path(), saved_cwd_);

  // A home folder that does not exist.
  setenv("HOME", (home_ / "missing").c_str(), 1);
  error = StartFromMenu();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("utworzyć folderu roboczego „" + (home_ / "missing" / "Waga").string()),
            std::string::npos)
      << *error;
  EXPECT_EQ(fs::current_path(), saved_cwd_);

  // A dangling link where the folder should be.
  fs::remove(home_ / "Waga");
  fs::create_directory_symlink(home_ / "gone", home_ / "Waga");
  setenv("HOME", home_.c_str(), 1);
  error = StartFromMenu();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(fs::current_path(), saved_cwd_);
}

TEST_F(WorkingFolderTest, FolderWithoutAccessIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root may enter any folder";
  fs::create_directory(home_ / "Waga");
  chmod((home_ / "Waga").c_str(), 0600);
  const std::optional<std::string> error = StartFromMenu();
  chmod((home_ / "Waga").c_str(), 0700);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("Nie można otworzyć folderu roboczego"), std::string::npos) << *error;
  EXPECT_EQ(fs::current_path(), saved_cwd_);
}

}  // namespace
