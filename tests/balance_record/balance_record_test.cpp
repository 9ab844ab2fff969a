#include "balance/balance_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

namespace {

std::optional<BalanceRecord> Parse(const std::string& line) {
  BalanceRecord r;
  if (!ParseBalanceRecord(line, r)) return std::nullopt;
  return r;
}

const std::string kRecord = "001     45.23 kg     45.23 kg";

TEST(BalanceRecord, RecordWithAndWithoutStamp) {
  auto r = Parse(kRecord);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Number, 1);
  EXPECT_EQ(r->Mass, 45.23);
  EXPECT_EQ(r->Total, 45.23);
  EXPECT_EQ(r->Day, "");
  EXPECT_EQ(r->Time, "");
  EXPECT_EQ(r->Decimals, 2);

  r = Parse("  0010     1.5 kg     120.75 kg    2024/01/31  12:34");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Number, 10);
  EXPECT_EQ(r->Mass, 1.5);
  EXPECT_EQ(r->Total, 120.75);
  EXPECT_EQ(r->Day, "2024/01/31");
  EXPECT_EQ(r->Time, "12:34");
  EXPECT_EQ(r->Decimals, 1);
}

TEST(BalanceRecord, LinesOfTheReportThatAreNotRecords) {
  for (const char* line : {"", " ", "     ", "  BILANS WAZEN", "  l.wazen    masa    suma", "12.5 kg",
                           "1\t2.5\t3.5",          // a tab joins, it does not separate
                           "A 1 2.5 3.5",          // a letter and a blank give an empty field 0
                           "1 2.5.1 3",            // two marks in one field
                           "1 2,5. 3", "1 2/5 3", "1 2 12:30"})
    EXPECT_FALSE(Parse(line)) << '"' << line << '"';
}

TEST(BalanceRecord, DroppedCharactersNeitherSeparateNorSurvive) {
  auto r = Parse("A1 2.5 3.5");  // a letter glued to the number is dropped
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Number, 1);
  r = Parse("7 -2.50 kg -x- 9.00 kg");  // blanks broken by a unit and signs give one separator
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Number, 7);
  EXPECT_EQ(r->Mass, 2.5);
  EXPECT_EQ(r->Total, 9.0);
  r = Parse("1 2\t5 3");  // 2, tab, 5 read as 25
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Mass, 25.0);
}

TEST(BalanceRecord, NumberRoundsHalvesToEven) {
  EXPECT_EQ(Parse("1.50 1 1")->Number, 2);
  EXPECT_EQ(Parse("2.50 1 1")->Number, 2);
  EXPECT_EQ(Parse("3.5 1 1")->Number, 4);
  EXPECT_EQ(Parse("2.51 1 1")->Number, 3);
  EXPECT_EQ(Parse("2147483647 1 1")->Number, 2147483647);
  EXPECT_FALSE(Parse("2147483648 1 1"));
  EXPECT_FALSE(Parse("99999999999999999999 1 1"));
}

TEST(BalanceRecord, DecimalsAreLengthMinusPointPosition) {
  EXPECT_EQ(Parse("1 45. 1")->Decimals, 0);
  EXPECT_EQ(Parse("1 .5 1")->Decimals, 1);
  EXPECT_EQ(Parse("1 125 1")->Decimals, 3);
  EXPECT_EQ(Parse("1 45,23 1")->Decimals, 5);  // no point: the whole length
  EXPECT_EQ(Parse("1 " + std::string(300, '1') + " 1")->Decimals, 255);
}

TEST(BalanceRecord, MarksAndRange) {
  EXPECT_EQ(Parse("1 , 1")->Mass, 0.0);
  EXPECT_EQ(Parse("1 ,5 1")->Mass, 0.5);
  EXPECT_EQ(Parse("1 45, 1")->Mass, 45.0);
  EXPECT_FALSE(Parse("1 " + std::string(320, '9') + " 1"));  // beyond a double
  EXPECT_TRUE(Parse("1 1 " + std::string(300, '9')));
}

TEST(BalanceRecord, SameUnderAPolishLocale) {
  if (std::setlocale(LC_ALL, "pl_PL.UTF-8") == nullptr) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
  const auto r = Parse(kRecord);
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Mass, 45.23);
}

}  // namespace
