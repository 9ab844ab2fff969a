#pragma once

// A data file's line as a row of the table linie: the text decoded from
// Windows-1250, its kind (a reading as the port's protocol reads it, else a
// balance record as the balance parser reads it, else text) and the values
// those readers find, with the day and time of reception as far as the line
// tells (a balance record's stamp, else the day of a data file named
// yyyymmdd).

#include <optional>
#include <string>
#include <string_view>

#include "protocols/scale_protocol.h"

struct LineRow {
  std::string text;  // UTF-8
  std::optional<std::string> day;   // yyyy-mm-dd
  std::optional<std::string> time;  // hh:mm
  const char* kind = "tekst";       // "odczyt", "rekord bilansu" or "tekst"
  std::optional<int> number;
  std::optional<double> mass, total;
  std::optional<std::string> unit;
  std::optional<double> reading;
  std::optional<std::string> readingText;
  std::optional<bool> stable, net;
};

// `fileDay`: the day of the data file's name, if it is one.
LineRow MakeLineRow(std::string_view line, ProtocolId protocol, const std::optional<std::string>& fileDay);

// The columns, in the order AppendCopyRow writes them.
inline constexpr const char* kLineColumns =
    "stanowisko, plik, wydanie, pozycja, tekst, dzien, godzina, rodzaj, numer, masa, suma, jednostka, "
    "odczyt, odczyt_tekst, stabilny, netto";

// One row in COPY's text format (tab-separated, \N for NULL, ended by LF).
void AppendCopyRow(std::string& out, const std::string& station, const std::string& file, int edition,
                   unsigned long long offset, const LineRow& row);
