#include "tools/waga-sim/scale_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Mass(std::int64_t hundredths, int width) {
  const std::int64_t magnitude = std::llabs(hundredths);
  char cents[8];
  std::snprintf(cents, sizeof cents, "%02d", static_cast<int>(magnitude % 100));
  std::string mass = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + cents;
  if (static_cast<int>(mass.size()) < width) mass.insert(0, width - mass.size(), ' ');
  return mass;
}

}  // namespace

std::string ReadingLine(std::int64_t hundredths) { return Mass(hundredths, 7); }

std::vector<std::string> BalanceReport(const std::vector<std::int64_t>& hundredths) {
  std::vector<std::string> lines{"", "  BILANS WAZEN", "  l.wazen    masa    suma"};
  std::int64_t total = 0;
  for (std::size_t i = 0; i < hundredths.size(); ++i) {
    total += hundredths[i];
    char number[24];
    std::snprintf(number, sizeof number, "%03zu", i + 1);
    lines.push_back(number + Mass(hundredths[i], 10) + " kg" + Mass(total, 10) + " kg");
  }
  return lines;
}

std::int64_t ScaleValues::NextReading() {
  std::uniform_int_distribution<std::int64_t> step(-50, 50);
  reading_ = std::clamp<std::int64_t>(reading_ + step(random_), 0, 99999);
  return reading_;
}

std::int64_t ScaleValues::NextWeighing() {
  return std::uniform_int_distribution<std::int64_t>(1000, 6000)(random_);
}

std::string ScaleValues::Garbage(int count) {
  std::uniform_int_distribution<int> byte(0, 253);
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    int b = byte(random_);
    if (b >= '\n') ++b;  // skip LF
    if (b >= '\r') ++b;  // skip CR
    bytes.push_back(static_cast<char>(b));
  }
  return bytes;
}
