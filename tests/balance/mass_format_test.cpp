#include "balance/mass_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

TEST(MassFormat, HalfUpToDecimalsAndEightSignificantDigits) {
  const struct { double value; int decimals; const char* text; } cases[] = {
      {45.2, 2, "45.20"}, {90, 3, "90.000"}, {123456.789, 3, "123456.790"}, {0.125, 2, "0.13"},
      {0.004, 2, "0.00"}, {7.5, 0, "8"}, {0.5, 0, "1"}, {9.9951, 2, "10.00"},
      {9.995, 2, "9.99"},  // 9.99499999999999922 at 18 digits
      {1.005, 2, "1.00"},  // 1.00499999999999989 at 18 digits
      {99999999.5, 0, "100000000"}, {0, 2, "0.00"}, {0.1, 25, "0.100000000000000000"},
      {3.25, -1, "3"}, {-45.2, 2, "-45.20"}, {-0.004, 2, "0.00"},
      // More than 8 integer digits: 8 significant digits and a decimal exponent.
      {1234567890.0, 2, "1.2345679E+9"}, {-1e300, 2, "-1.0000000E+300"}, {12345678.0, 1, "12345678.0"}};
  for (const auto& c : cases) EXPECT_EQ(FormatMass(c.value, c.decimals), c.text) << c.value << '/' << c.decimals;
  EXPECT_EQ(FormatMass(NAN, 2), "NAN");
}

TEST(MassFormat, PointUnderAPolishLocale) {
  if (std::setlocale(LC_ALL, "pl_PL.UTF-8") == nullptr) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
  const std::string text = FormatMass(45.23, 2);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(text, "45.23");
}

}  // namespace
