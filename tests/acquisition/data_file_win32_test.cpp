// The data file on Windows: lines go behind what others wrote; a program
// writing the file meanwhile keeps the line out, one reading it does not.
#include "acquisition/data_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

HANDLE OpenShared(const std::string& name, DWORD access, DWORD share) {
  return CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

TEST(DataFileOnWindows, AppendsLinesWithCrLfBehindWhatOthersWrote) {
  TempDir dir;
  const std::string name = dir.File("20261207");
  WriteFile(name, "old\r\n");
  ASSERT_TRUE(AppendDataFileLine(name, "  12.50"));
  std::ofstream(name, std::ios::binary | std::ios::app) << "other\n";
  ASSERT_TRUE(AppendDataFileLine(name, std::string("\xB9\0x", 3)));
  EXPECT_EQ(ReadFile(name), std::string("old\r\n  12.50\r\nother\n\xB9\0x\r\n", 25));
}

TEST(DataFileOnWindows, AReaderMayWatchTheFileAWriterKeepsTheLineOut) {
  TempDir dir;
  const std::string name = dir.File("shared");
  WriteFile(name, "kept\r\n");

  HANDLE reader = OpenShared(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(AppendDataFileLine(name, "a"));
  CloseHandle(reader);

  HANDLE writer = OpenShared(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(AppendDataFileLine(name, "b"));
  CloseHandle(writer);
  EXPECT_EQ(ReadFile(name), "kept\r\na\r\n");
}

TEST(DataFileOnWindows, MissingFilesAndDevicesAreNoDataFile) {
  TempDir dir;
  EXPECT_FALSE(AppendDataFileLine(dir.File("missing"), "x"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  EXPECT_FALSE(AppendDataFileLine("", "x"));
  EXPECT_FALSE(AppendDataFileLine("NUL", "12.50"));
}

TEST(DataFileOnWindows, CreateKeepsAnExistingFile) {
  TempDir dir;
  const std::string name = dir.File("day");
  ASSERT_TRUE(CreateDataFileIfMissing(name));
  WriteFile(name, "data\r\n");
  ASSERT_TRUE(CreateDataFileIfMissing(name));
  EXPECT_EQ(ReadFile(name), "data\r\n");
  EXPECT_FALSE(CreateDataFileIfMissing(dir.File("no\\such\\dir")));
}

}  // namespace
