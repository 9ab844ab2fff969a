#include "acquisition/data_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(DataFile, AppendsLinesWithCrLfBehindWhatOthersWrote) {
  TempDir dir;
  const std::string name = dir.File("20261207");
  WriteFile(name, "old\r\n");
  ASSERT_TRUE(AppendDataFileLine(name, "  12.50"));
  std::ofstream(name, std::ios::binary | std::ios::app) << "other\n";
  ASSERT_TRUE(AppendDataFileLine(name, std::string("\xB9\0x", 3)));
  ASSERT_TRUE(AppendDataFileLine(name, ""));
  EXPECT_EQ(ReadFile(name), std::string("old\r\n  12.50\r\nother\n\xB9\0x\r\n\r\n", 27));
}

TEST(DataFile, FailsWithoutCreatingOrChangingAnything) {
  TempDir dir;
  EXPECT_FALSE(AppendDataFileLine(dir.File("missing"), "x"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  EXPECT_FALSE(AppendDataFileLine("", "x"));
  EXPECT_FALSE(AppendDataFileLine("/dev/full", "12.50"));

  const std::string name = dir.File("locked");
  WriteFile(name, "kept\r\n");
  const int holder = open(name.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  EXPECT_FALSE(AppendDataFileLine(name, "x"));
  close(holder);
  EXPECT_EQ(ReadFile(name), "kept\r\n");
}

TEST(DataFile, CreateKeepsAnExistingFile) {
  TempDir dir;
  const std::string name = dir.File("day");
  ASSERT_TRUE(CreateDataFileIfMissing(name));
  WriteFile(name, "data\r\n");
  ASSERT_TRUE(CreateDataFileIfMissing(name));
  EXPECT_EQ(ReadFile(name), "data\r\n");
  EXPECT_FALSE(CreateDataFileIfMissing(dir.File("no/such/dir")));
}

}  // namespace
