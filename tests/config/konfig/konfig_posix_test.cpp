// konfig.ini and the POSIX file system: the system's reason, the kept mode,
// a folder that cannot be written, a konfig.ini that is a symbolic link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/config/konfig/konfig_test_fixture.h"

namespace {

TEST_F(KonfigFile, AFolderNamedKonfigIniGivesItsReason) {
  const std::string what = FolderReadError();
  EXPECT_NE(what.find(std::strerror(EISDIR)), std::string::npos) << what;
}

TEST_F(KonfigFile, SaveKeepsTheFilesMode) {
  Write(std::string(5000, 'x'));
  ::chmod(path_.c_str(), 0640);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(KonfigFile, SaveThroughALinkReplacesItsTargetAndKeepsTheLink) {
  const fs::path shared = dir_ / "shared.ini";
  std::ofstream(shared, std::ios::binary) << "old";
  ::chmod(shared.c_str(), 0600);
  fs::create_symlink("shared.ini", path_);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_)));
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(fs::status(shared).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2);
}

TEST_F(KonfigFile, ReadOnlyFolderStaysAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "a superuser writes into any folder";
  Write("Numer_portu=9\r\n");
  ::chmod(dir_.c_str(), 0555);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), "Numer_portu=9\r\n");
}

}  // namespace
