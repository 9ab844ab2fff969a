#include "text/umy_fun.h"

#include <algorithm>

std::string BaudRateDigits(TBaudRate rate) {
  switch (rate) {
    case br110: return "110";
    case br300: return "300";
    case br600: return "600";
    case br1200: return "1200";
    case br2400: return "2400";
    case br4800: return "4800";
    case br9600: return "9600";
    case br14400: return "14400";
    case br19200: return "19200";
    case br38400: return "38400";
    case br56000: return "56000";
    case br57600: return "57600";
    case br115200: return "115200";
    default: return "9600";  // brCustom and the two rates the status text never shows
  }
}

std::string PercentField(std::string_view text, std::int32_t n) {
  if (text.empty()) return {};
  std::size_t start = 0;
  if (n > 0) {
    // Count the marks; the last character counts as one whatever it is, so a
    // field that would start past the end (or after a final '%') is empty.
    const std::size_t last = text.size() - 1;
    std::int32_t count = 0;
    std::size_t i = 0;
    for (;; ++i) {
      if (text[i] == '%' || i == last) {
        if (++count == n) break;
      }
      if (i == last) break;
    }
    if (i == last) return {};
    start = i + 1;
  }
  const std::size_t end = text.find('%', start);
  return std::string(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string StripSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out.push_back(c);
  return out;
}

std::string CommaToPoint(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), ',', '.');
  return out;
}

std::string PointToComma(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::string PadLeft(std::string_view text, std::int32_t width) {
  if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return std::string(text);
  std::string out(static_cast<std::size_t>(width) - text.size(), ' ');
  out.append(text);
  return out;
}
