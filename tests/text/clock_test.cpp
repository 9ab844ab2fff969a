#include "text/clock.h"

#include <gtest/gtest.h>

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

TEST(Clock, EncodesDaysSinceTheEpoch) {
  EXPECT_EQ(At(1899, 12, 30), 0.0);
  EXPECT_EQ(At(1900, 1, 1), 2.0);
  EXPECT_EQ(At(2000, 1, 1), 36526.0);
  EXPECT_EQ(At(2024, 2, 29, 12), 45351.5);
  EXPECT_EQ(At(1899, 12, 29, 12), -1.5);  // before the epoch the fraction still counts forward
}

TEST(Clock, DecodeRoundTripsEveryMillisecondOfADay) {
  for (int ms = 0; ms < 86'400'000; ms += 997) {
    const DateTimeParts in{2026, 12, 6, ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
    const DateTimeParts out = DecodeDateTime(EncodeDateTime(in));
    ASSERT_EQ(std::tie(out.year, out.month, out.day, out.hour, out.minute, out.second, out.millisecond),
              std::tie(in.year, in.month, in.day, in.hour, in.minute, in.second, in.millisecond))
        << ms;
  }
}

TEST(Clock, FormsOfDateAndTime) {
  const TDateTime t = At(2026, 1, 2, 9, 5, 7);
  EXPECT_EQ(DateSuffix(t), "    2026/01/02  09:05");
  EXPECT_EQ(DateSuffix(t).size(), 21u);
  EXPECT_EQ(FileDate(t), "20260102");
  EXPECT_EQ(PrintDate(t), "2026/01/02");
  EXPECT_EQ(PrintTime(t), "09:05.07");
  EXPECT_EQ(PrintTime(At(2026, 1, 2, 12, 34, 59, 999)), "12:34.59");
  // The last instant of a year rounds to the next midnight, not to 24:00.
  const TDateTime almost = At(2024, 12, 31) + (86'400'000.0 - 0.1) / 86'400'000.0;
  EXPECT_EQ(DateSuffix(almost), "    2025/01/01  00:00");
}

TEST(Clock, TestsCanReplaceTheClock) {
  SetClock([] { return 45000.25; });
  EXPECT_EQ(Now(), 45000.25);
  SetClock({});
  const TDateTime now = Now();
  EXPECT_GT(now, At(2020, 1, 1));
  EXPECT_NE(now, 45000.25);
}

}  // namespace
