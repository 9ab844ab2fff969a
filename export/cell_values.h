#pragma once

// The values of the sheets' cells taken from the texts of a data file.

#include <optional>
#include <string>
#include <string_view>

// A day as yyyy-mm-dd.
std::string IsoDay(double day);

// The stamp's date "yyyy/mm/dd" as a day (see sheet_rows.h); nothing unless
// it is a real date of the years 1901 to 9999.
std::optional<double> StampDay(std::string_view text);
// The stamp's time "hh:mm" as a fraction of a day; nothing unless 00:00 to 23:59.
std::optional<double> StampTime(std::string_view text);
// A data file's name "yyyymmdd" (a folder before it allowed) as a day.
std::optional<double> FileNameDay(std::string_view path);

// The unit as the record's line carries it: the text between the mass and
// the total, without the blanks and signs around it ("kg").
std::string RecordUnit(std::string_view line);

// A reading's value and the decimals its text shows (after the decimal mark,
// up to an exponent); nothing when the line is no reading.
struct ReadingValue {
  double value = 0;
  int decimals = 0;
};
std::optional<ReadingValue> ParseReading(std::string_view line);

// Bytes that no scale sends in a line of text: control characters other than
// the tab, and DEL.
bool HoldsBinary(std::string_view line);

// The text itself when it is valid UTF-8, else read as Windows-1250.
std::string AsUtf8(std::string_view text);

// The number in fixed notation with `decimals` places and a decimal comma;
// with more when fewer would change its value.
std::string CommaNumber(double value, int decimals);
