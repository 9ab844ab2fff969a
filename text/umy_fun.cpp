#include "text/umy_fun.h"

#include <algorithm>

std::string BaudRateDigits(TBaudRate rate) {
  // brCustom and the two rates above the offered ones read as 9600.
  return std::string(kBaudRates[IsOfferedRate(rate) ? rate : br9600].text);
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
