#include "text/clock.h"
#include "text/local_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr long long kMsPerDay = 86'400'000;

std::function<TDateTime()>& InstalledClock() {
  static std::function<TDateTime()> clock;
  return clock;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);  // 1899-12-30 in days from 1970

TDateTime SystemNow() {
  using namespace std::chrono;
  // Whole milliseconds, truncated: a shown time is never ahead of the clock.
  const auto now = time_point_cast<milliseconds>(system_clock::now());
  const std::time_t whole_seconds = system_clock::to_time_t(now);
  const std::tm local = LocalTime(whole_seconds);
  long long ms = (now.time_since_epoch() % seconds(1)).count();
  if (ms < 0) ms += 1000;
  DateTimeParts parts;
  parts.year = local.tm_year + 1900;
  parts.month = local.tm_mon + 1;
  parts.day = local.tm_mday;
  parts.hour = local.tm_hour;
  parts.minute = local.tm_min;
  parts.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays in its minute
  parts.millisecond = static_cast<int>(ms);
  return EncodeDateTime(parts);
}

std::string Format(const char* pattern, int a, int b, int c) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
  return buffer;
}

}  // namespace

TDateTime Now() {
  const auto& clock = InstalledClock();
  return clock ? clock() : SystemNow();
}

void SetClock(std::function<TDateTime()> clock) { InstalledClock() = std::move(clock); }

TDateTime EncodeDateTime(const DateTimeParts& p) {
  const long long days = DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) - kEpochOffset;
  const long long ms = ((p.hour * 60LL + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  const double time = static_cast<double>(ms) / kMsPerDay;
  // Before the epoch the whole part counts days back while the fraction
  // still counts forward from midnight.
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

DateTimeParts DecodeDateTime(TDateTime value) {
  DateTimeParts p;
  if (!std::isfinite(value)) return p;
  double whole = std::trunc(value);
  // Round the time of day to whole milliseconds before splitting it, so that
  // the error of the binary fraction never shows as a second or minute too few.
  long long ms = std::llround(std::fabs(value - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    whole += 1;  // midnight of the next calendar day, also before the epoch
  }
  CivilFromDays(static_cast<long long>(whole) + kEpochOffset, p.year, p.month, p.day);
  p.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  p.second = static_cast<int>(ms % 60);
  ms /= 60;
  p.minute = static_cast<int>(ms % 60);
  p.hour = static_cast<int>(ms / 60);
  return p;
}

std::string DateSuffix(TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  return "    " + PrintDate(value) + Format("  %02d:%02d", p.hour, p.minute, 0);
}

std::string FileDate(TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  return Format("%04d%02d%02d", p.year, p.month, p.day);
}

std::string PrintDate(TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  return Format("%04d/%02d/%02d", p.year, p.month, p.day);
}

std::string PrintTime(TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  return Format("%02d:%02d.%02d", p.hour, p.minute, p.second);
}
