#include "balance/balance_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <tuple>

namespace {

// Number, Mass, Total, Day, Time, Decimals of an accepted line.
using Fields = std::tuple<int, double, double, std::string, std::string, int>;

Fields Parsed(const std::string& line) {
  BalanceRecord r;
  EXPECT_TRUE(ParseBalanceRecord(line, r)) << '"' << line << '"';
  return {r.Number, r.Mass, r.Total, r.Day, r.Time, r.Decimals};
}

bool Accepted(const std::string& line) {
  BalanceRecord r;
  return ParseBalanceRecord(line, r);
}

TEST(BalanceRecord, FieldsOfAcceptedLines) {
  EXPECT_EQ(Parsed("001     45.23 kg     45.23 kg"), Fields(1, 45.23, 45.23, "", "", 2));
  EXPECT_EQ(Parsed("  0010     1.5 kg     120.75 kg    2024/01/31  12:34"),
            Fields(10, 1.5, 120.75, "2024/01/31", "12:34", 1));
  // A letter glued to a number and signs are dropped; blanks broken by a unit
  // and signs give one separator; a tab joins digits into one field.
  EXPECT_EQ(Parsed("A7 -2.50 kg -x- 9.00 kg"), Fields(7, 2.5, 9.0, "", "", 2));
  EXPECT_EQ(Parsed("1 2\t5 3"), Fields(1, 25.0, 3.0, "", "", 2));
  // Lone marks, and Decimals as length minus the position of the first point.
  EXPECT_EQ(Parsed("1 45. ,"), Fields(1, 45.0, 0.0, "", "", 0));
  EXPECT_EQ(Parsed("1 .5 45,"), Fields(1, 0.5, 45.0, "", "", 1));
  EXPECT_EQ(Parsed("1 45,23 1"), Fields(1, 45.23, 1.0, "", "", 5));
  EXPECT_EQ(std::get<5>(Parsed("1 " + std::string(300, '1') + " 1")), 255);  // saturates, never wraps
}

TEST(BalanceRecord, LinesThatAreNotRecords) {
  // Named: a temporary in the loop's list would be gone before the body runs.
  const std::string overlongNumber = "1 " + std::string(320, '9') + " 1";
  for (const std::string line : {"", " ", "     ", "  BILANS WAZEN", "  l.wazen    masa    suma", "12.5 kg",
                                 "1\t2.5\t3.5", "A 1 2.5 3.5", "1 2.5.1 3", "1 2,5. 3", "1 2/5 3", "1 2 12:30",
                                 "2147483648 1 1", overlongNumber.c_str()})
    EXPECT_FALSE(Accepted(line)) << '"' << line << '"';
}

TEST(BalanceRecord, NumberRoundsHalvesToEven) {
  const std::pair<const char*, int> cases[] = {
      {"1.50", 2}, {"2.50", 2}, {"3.5", 4}, {"2.51", 3}, {"2147483647", 2147483647}};
  for (const auto& [number, expected] : cases) EXPECT_EQ(std::get<0>(Parsed(number + std::string(" 1 1"))), expected);
}

TEST(BalanceRecord, SameUnderAPolishLocale) {
  if (std::setlocale(LC_ALL, "pl_PL.UTF-8") == nullptr) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
  const Fields fields = Parsed("001     45.23 kg     45.23 kg");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(std::get<1>(fields), 45.23);
}

}  // namespace
