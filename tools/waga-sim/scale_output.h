#pragma once

// The texts a scale sends, without their line ends.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// A reading as the scale writes it: the mass in hundredths, "%7.2f" ("  12.50").
std::string ReadingLine(std::int64_t hundredths);

// A balance report: an empty line, the title, the column header and one
// record per mass ("001     45.23 kg     45.23 kg") with the running total.
std::vector<std::string> BalanceReport(const std::vector<std::int64_t>& hundredths);

// Varying but reproducible values.
class ScaleValues {
 public:
  explicit ScaleValues(std::uint32_t seed) : random_(seed) {}
  // A reading that drifts from the previous one, within 0.00 to 999.99.
  std::int64_t NextReading();
  // The last reading (before the first, where the readings start).
  std::int64_t Current() const { return reading_; }
  // The mass of one weighing, 10.00 to 60.00.
  std::int64_t NextWeighing();
  // Bytes other than CR and LF.
  std::string Garbage(int count);

 private:
  std::mt19937 random_;
  std::int64_t reading_ = 1250;
};
