#include "serial/input_queue_report.h"

#include <gtest/gtest.h>

TEST(InputQueueReport, DataIsReportedAgainOnlyAfterAReadOrWhenMoreArrives) {
  InputQueueReport report;
  EXPECT_EQ(report.Look(0, 0, 4095), 0u);
  EXPECT_EQ(report.Look(0, 3, 4095), ev::RXCHAR);
  EXPECT_TRUE(report.Unread(0));
  EXPECT_EQ(report.Look(0, 3, 4095), 0u) << "unread data ends no further wait";
  EXPECT_EQ(report.Look(0, 5, 4095), ev::RXCHAR) << "more has arrived";
  EXPECT_FALSE(report.Unread(1));
  EXPECT_EQ(report.Look(1, 5, 4095), ev::RXCHAR) << "the reader looked and left data";
  EXPECT_EQ(report.Look(2, 0, 4095), 0u);
  EXPECT_EQ(report.Look(2, 1, 4095), ev::RXCHAR) << "a small arrival after a read";
}

TEST(InputQueueReport, TheMarkIsCrossedUpwardsOnceAndAnEmptyQueueIsNeverAtIt) {
  InputQueueReport report;
  EXPECT_EQ(report.Look(0, 7, 10), ev::RXCHAR);
  EXPECT_EQ(report.Look(0, 8, 10), ev::RXCHAR | ev::RX80FULL);
  EXPECT_EQ(report.Look(0, 9, 10), ev::RXCHAR);
  EXPECT_EQ(report.Look(1, 2, 10), ev::RXCHAR);
  EXPECT_EQ(report.Look(1, 8, 10), ev::RXCHAR | ev::RX80FULL);
  for (std::uint32_t capacity : {0u, 1u, 2u}) {
    InputQueueReport tiny;
    EXPECT_EQ(tiny.Look(0, 0, capacity), 0u) << capacity;
    EXPECT_EQ(tiny.Look(0, 1, capacity), ev::RXCHAR | ev::RX80FULL) << capacity;
  }
}
