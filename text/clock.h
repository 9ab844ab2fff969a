#pragma once

// Local wall-clock date-time as days since 1899-12-30 (a double), with the
// date and time forms the program writes. Tests replace the clock.

#include <functional>
#include <string>

using TDateTime = double;

// The current local date-time, from the installed clock function.
TDateTime Now();
// Replaces the clock; an empty function restores the system clock.
void SetClock(std::function<TDateTime()> clock);

struct DateTimeParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, millisecond = 0;
};
TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);

// Four blanks, yyyy/mm/dd, two blanks, hh:mm (21 characters).
std::string DateSuffix(TDateTime value);
// yyyymmdd, the name of the data file of the day.
std::string FileDate(TDateTime value);
// yyyy/mm/dd and hh:mm.ss, the printout's date and time.
std::string PrintDate(TDateTime value);
std::string PrintTime(TDateTime value);
