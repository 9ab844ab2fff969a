// konfig.ini of random bytes: read without an error, every setting within
// what the program can use, and a good line after the garbage still counts.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/konfig/konfig.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(KonfigInput, RandomBytesLeaveUsableSettings) {
  TempDir dir;
  const std::string file = dir.File("konfig.ini");
  for (unsigned seed = 1; seed <= 50; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::string bytes(random() % 20000, '\0');
    for (char& c : bytes) {
      c = static_cast<char>(random() % 256);
      if (c == '\x1A') c = '=';  // the end-of-file byte would hide the last line
    }
    WriteFile(file, bytes + "\r\nNumer_portu=5\r\nJednostka=t");
    KonfigSettings settings;
    ASSERT_NO_THROW(LoadKonfig(settings, file));
    EXPECT_EQ(settings.Port, "COM5");
    EXPECT_EQ(settings.Ljednost, "t");
    EXPECT_GE(settings.MaxPreviewLines, 10);
    EXPECT_LE(settings.MaxPreviewLines, 5000);
    EXPECT_NE(settings.BaudRate, brCustom);
    for (const std::string* text : {&settings.CompanyName, &settings.CompanyAddress}) {
      EXPECT_FALSE(text->empty());
      EXPECT_LE(text->size(), 55u);
    }
  }
}

}  // namespace
