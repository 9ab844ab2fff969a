#pragma once

// One per-weighing line of the scale's balance report, as parsed.

#include <cstdint>
#include <string>
#include <string_view>

struct BalanceRecord {
  std::int32_t Number = 0;  // weighing number, halves rounded to even
  double Mass = 0;          // mass of this weighing
  double Total = 0;         // running total including this weighing
  std::string Day;          // the reception stamp's date, or empty
  std::string Time;         // the reception stamp's time, or empty
  std::uint8_t Decimals = 0;  // decimals with which the masses are printed
};

// True when the line is a balance record; `record` is then filled. Never throws.
bool ParseBalanceRecord(std::string_view line, BalanceRecord& record);
