// konfig.ini and the Windows file system: the new file takes the old one's
// place with its attributes.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/config/konfig/konfig_test_fixture.h"

namespace {

TEST_F(KonfigFile, SaveKeepsTheFilesAttributes) {
  Write(std::string(5000, 'x'));
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_NE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(KonfigFile, AFirstSaveCreatesTheFile) {
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

}  // namespace
