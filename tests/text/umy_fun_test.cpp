#include "acquisition/text/umy_fun.h"

#include <gtest/gtest.h>

TEST(UmyFun, BaudRateDigitsFallsBackTo9600) {
  EXPECT_EQ(BaudRateDigits(br110), "110");
  EXPECT_EQ(BaudRateDigits(br56000), "56000");
  EXPECT_EQ(BaudRateDigits(br115200), "115200");
  EXPECT_EQ(BaudRateDigits(brCustom), "9600");
  EXPECT_EQ(BaudRateDigits(br128000), "9600");
  EXPECT_EQ(BaudRateDigits(br256000), "9600");
}

TEST(UmyFun, PercentFieldSplitsAtMarks) {
  const char* text = "12%3.5%%x";
  EXPECT_EQ(PercentField(text, 0), "12");
  EXPECT_EQ(PercentField(text, 1), "3.5");
  EXPECT_EQ(PercentField(text, 2), "");
  EXPECT_EQ(PercentField(text, 3), "x");
  EXPECT_EQ(PercentField(text, 4), "");
  EXPECT_EQ(PercentField(text, -7), "12");
  EXPECT_EQ(PercentField("%ab%", 0), "");
  EXPECT_EQ(PercentField("%ab%", 1), "ab");
  EXPECT_EQ(PercentField("%ab%", 2), "");
  EXPECT_EQ(PercentField("plain", 0), "plain");
  EXPECT_EQ(PercentField("plain", 1), "");
  EXPECT_EQ(PercentField("a", 0), "a");
  EXPECT_EQ(PercentField("a", 1), "");
  EXPECT_EQ(PercentField("", 0), "");
}

TEST(UmyFun, BlanksAndMarks) {
  EXPECT_EQ(StripSpaces("  1 2\t3 "), "12\t3");
  EXPECT_EQ(StripSpaces("    "), "");
  EXPECT_EQ(CommaToPoint("1,2,3."), "1.2.3.");
  EXPECT_EQ(PointToComma("1.2.3,"), "1,2,3,");
}

TEST(UmyFun, PadLeftNeverCuts) {
  EXPECT_EQ(PadLeft("42", 5), "   42");
  EXPECT_EQ(PadLeft("", 10), std::string(10, ' '));
  EXPECT_EQ(PadLeft("123456", 3), "123456");
  EXPECT_EQ(PadLeft("abc", -4), "abc");
}
