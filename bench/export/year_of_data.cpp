#include "bench/export/year_of_data.h"

#include <cstdio>
#include <string>

#include "text/clock.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRecordsPerBalance = 100;
constexpr int kReadingsPerBalance = 20;

}  // namespace

void WriteYear(const fs::path& folder, long long lines) {
  const double first = FirstDay();
  const long long perDay = lines / kDays;
  long long written = 0;
  unsigned seed = 1;
  for (int d = 0; d < kDays; ++d) {
    const double day = first + d;
    std::FILE* file = std::fopen((folder / FileDate(day)).string().c_str(), "wb");
    const long long todo = d + 1 == kDays ? lines - written : perDay;
    long long done = 0;
    std::string stamp = DateSuffix(day + 0.5);
    while (done < todo) {
      const char* head[] = {"", "  BILANS WAZEN", "  l.wazen    masa    suma"};
      for (const char* line : head) {
        if (done++ < todo) std::fprintf(file, "%s\r\n", line);
      }
      long long total = 0;
      for (int r = 1; r <= kRecordsPerBalance && done < todo; ++r, ++done) {
        seed = seed * 1103515245 + 12345;
        const long long mass = 500 + (seed >> 8) % 6000;
        total += mass;
        std::fprintf(file, "%03d    %3lld.%02lld kg    %5lld.%02lld kg%s\r\n", r, mass / 100, mass % 100,
                     total / 100, total % 100, stamp.c_str());
      }
      for (int r = 0; r < kReadingsPerBalance && done < todo; ++r, ++done) {
        std::fprintf(file, "  %d.%02d\r\n", 12 + r % 5, r * 7 % 100);
      }
    }
    written += todo;
    std::fclose(file);
  }
}

double FirstDay() { return EncodeDateTime({.year = 2026, .month = 1, .day = 1}); }
double LastDay() { return EncodeDateTime({.year = 2026, .month = 12, .day = 31}); }
