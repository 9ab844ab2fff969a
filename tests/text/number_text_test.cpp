#include "text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <exception>
#include <limits>
#include <locale>
#include <string>
#include <utility>

namespace {

// Runs every conversion case under a machine locale whose decimal mark is a
// point and under the Polish one whose mark is a comma: the results must not
// differ, the comma being the mark in both.
class UnderLocale : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    for (const std::string& name : {std::string(GetParam()) + ".UTF-8", std::string(GetParam()) + ".utf8"}) {
      if (std::setlocale(LC_ALL, name.c_str()) == nullptr) continue;
      try {
        std::locale::global(std::locale(name));
      } catch (const std::exception&) {
        continue;
      }
      // The Polish locale must really switch the C library's mark.
      if (std::string(GetParam()) == "pl_PL") {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
      }
      return;
    }
    GTEST_SKIP() << "locale " << GetParam() << " is not installed";
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
  }
};

TEST_P(UnderLocale, TextToIntAcceptsOnlyTheWholeForm) {
  EXPECT_EQ(TextToInt("  -42"), -42);
  EXPECT_EQ(TextToInt("+7"), 7);
  EXPECT_EQ(TextToInt("$1F"), 31);
  EXPECT_EQ(TextToInt("0x7fffffff"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(TextToInt("X10"), 16);
  EXPECT_EQ(TextToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* bad : {"", " ", "12 ", "2147483648", "-2147483649", "0x80000000", "-$10", "+", "$",
                          "1.5", "1,5", "12a", "\t12"})
    EXPECT_FALSE(TextToInt(bad).has_value()) << '"' << bad << '"';
}

TEST_P(UnderLocale, TextToExtendedReadsTheCommaOnly) {
  const std::pair<const char*, long double> cases[] = {
      {"12,5", 12.5L}, {"-0,25", -0.25L}, {"+3", 3.0L}, {",", 0.0L}, {",5", 0.5L}, {"45,", 45.0L},
      {"1,5E2", 150.0L}, {"2e-1", 0.2L}, {"7E", 7.0L}, {"7e+", 7.0L},  // missing exponent digits: 0
      {"1E4000", 1E4000L},   // beyond a double, inside the extended range
      {"1E-6000", 0.0L}};    // too small to hold: zero
  for (const auto& [text, value] : cases) EXPECT_EQ(TextToExtended(text), value) << text;
  for (const char* bad : {"", "12.5", "1,2,3", "12,5 ", " 12", "+", "-", "E5", "1E5x", "1,5kg",
                          "1E5000", "-1E99999999999999999999", "inf", "nan", "0x10", "1e2,5"})
    EXPECT_FALSE(TextToExtended(bad).has_value()) << '"' << bad << '"';
}

TEST_P(UnderLocale, ReadingTestTakesEitherMarkAndIgnoresBlanks) {
  EXPECT_TRUE(IsReading("12.50"));
  EXPECT_TRUE(IsReading("  -0,5 "));
  EXPECT_TRUE(IsReading(" . "));
  EXPECT_TRUE(IsReading("1 2 3"));
  EXPECT_FALSE(IsReading("12.50 kg"));
  EXPECT_FALSE(IsReading(""));
  EXPECT_FALSE(IsReading("   "));
  EXPECT_FALSE(IsReading("1.2.3"));
  EXPECT_FALSE(IsReading("12\t"));
}

INSTANTIATE_TEST_SUITE_P(Locales, UnderLocale, ::testing::Values("C", "pl_PL"));

}  // namespace
