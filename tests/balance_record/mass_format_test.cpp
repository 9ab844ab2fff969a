#include "balance/mass_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

TEST(MassFormat, FixedPointHalfUpToEightSignificantDigits) {
  EXPECT_EQ(FormatMass(45.2, 2), "45.20");
  EXPECT_EQ(FormatMass(90, 3), "90.000");
  EXPECT_EQ(FormatMass(123456.789, 3), "123456.790");
  EXPECT_EQ(FormatMass(0.125, 2), "0.13");
  EXPECT_EQ(FormatMass(0.004, 2), "0.00");
  EXPECT_EQ(FormatMass(7.5, 0), "8");
  EXPECT_EQ(FormatMass(0.5, 0), "1");
  EXPECT_EQ(FormatMass(0.05, 1), "0.1");
  EXPECT_EQ(FormatMass(9.995, 2), "9.99");    // 9.99499999999999922... to 18 digits
  EXPECT_EQ(FormatMass(9.9951, 2), "10.00");
  EXPECT_EQ(FormatMass(1.005, 2), "1.00");    // 1.00499999999999989... to 18 digits
  EXPECT_EQ(FormatMass(2.675, 2), "2.67");
  EXPECT_EQ(FormatMass(99999999.5, 0), "100000000");
  EXPECT_EQ(FormatMass(0, 2), "0.00");
  EXPECT_EQ(FormatMass(0.1, 25), "0.100000000000000000");  // 18 decimals at most
  EXPECT_EQ(FormatMass(3.25, -1), "3");
}

TEST(MassFormat, SignAndExponentForm) {
  EXPECT_EQ(FormatMass(-45.2, 2), "-45.20");
  EXPECT_EQ(FormatMass(-0.004, 2), "0.00");  // nothing left to be negative
  EXPECT_EQ(FormatMass(1234567890.0, 2), "1.2345679E+9");
  EXPECT_EQ(FormatMass(-1e300, 2), "-1.0000000E+300");
  EXPECT_EQ(FormatMass(12345678.0, 1), "12345678.0");
  EXPECT_EQ(FormatMass(NAN, 2), "NAN");
}

TEST(MassFormat, PointUnderAPolishLocale) {
  if (std::setlocale(LC_ALL, "pl_PL.UTF-8") == nullptr) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
  const std::string text = FormatMass(45.23, 2);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(text, "45.23");
}

}  // namespace
