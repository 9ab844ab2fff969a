#pragma once

// Preview lines as the scale's balance report leaves them.

#include <cstdio>
#include <string>
#include <vector>

inline std::string RecordLine(int number, const std::string& mass, const std::string& total,
                              bool stamped = true) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", number);
  std::string line = std::string(digits) + "     " + mass + " kg     " + total + " kg";
  if (stamped) line += "    2024/01/31  12:34";
  return line;
}

// An empty line, the title, the column header and `count` records of
// 10.25 kg each (two decimals).
inline std::vector<std::string> BalanceReport(int count, bool stamped = true) {
  std::vector<std::string> lines = {"", "  BILANS WAZEN", "  l.wazen    masa    suma"};
  for (int n = 1; n <= count; ++n) {
    char total[32];
    std::snprintf(total, sizeof total, "%d.%02d", n * 1025 / 100, n * 1025 % 100);
    lines.push_back(RecordLine(n, "10.25", total, stamped));
  }
  return lines;
}
