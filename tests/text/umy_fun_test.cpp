#include "text/umy_fun.h"

#include <gtest/gtest.h>

TEST(UmyFun, BaudRateDigitsFallsBackTo9600) {
  EXPECT_EQ(BaudRateDigits(br110), "110");
  EXPECT_EQ(BaudRateDigits(br115200), "115200");
  for (TBaudRate other : {brCustom, br128000, br256000}) EXPECT_EQ(BaudRateDigits(other), "9600");
}

TEST(UmyFun, PercentFieldSplitsAtMarks) {
  const struct { const char* text; int n; const char* field; } cases[] = {
      {"12%3.5%%x", 0, "12"}, {"12%3.5%%x", 1, "3.5"}, {"12%3.5%%x", 2, ""}, {"12%3.5%%x", 3, "x"},
      {"12%3.5%%x", 4, ""},   {"12%3.5%%x", -7, "12"}, {"%ab%", 0, ""},      {"%ab%", 1, "ab"},
      {"%ab%", 2, ""},        {"plain", 1, ""},        {"a", 0, "a"},        {"a", 1, ""}, {"", 0, ""}};
  for (const auto& c : cases) EXPECT_EQ(PercentField(c.text, c.n), c.field) << c.text << ' ' << c.n;
}

TEST(UmyFun, BlanksMarksAndPadding) {
  EXPECT_EQ(StripSpaces("  1 2\t3 "), "12\t3");
  EXPECT_EQ(StripSpaces("    "), "");
  EXPECT_EQ(CommaToPoint("1,2,3."), "1.2.3.");
  EXPECT_EQ(PointToComma("1.2.3,"), "1,2,3,");
  EXPECT_EQ(PadLeft("42", 5), "   42");
  EXPECT_EQ(PadLeft("", 10), std::string(10, ' '));
  EXPECT_EQ(PadLeft("123456", 3), "123456");
  EXPECT_EQ(PadLeft("abc", -4), "abc");
}
