#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

#include "text/umy_fun.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<long double> TextToExtended(std::string_view text) {
  // Check the form first and build the same number with a point as the mark
  // for from_chars, which never consults the locale.
  std::string plain;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool any_digit = false, mark = false;
  long long leading_exponent = 0;  // decimal exponent of the first significant digit, roughly
  bool significant = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      any_digit = true;
      if (c != '0') significant = true;
      if (!mark && significant) ++leading_exponent;
      if (mark && !significant) --leading_exponent;
      plain.push_back(c);
    } else if (c == ',' && !mark) {
      mark = true;
      plain.push_back('.');
    } else {
      break;
    }
  }
  if (!any_digit && !mark) return std::nullopt;

  std::string exponent;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    std::string sign;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++];
    std::string digits;
    while (i < text.size() && IsDigit(text[i])) digits.push_back(text[i++]);
    if (!digits.empty()) exponent = "e" + sign + digits;  // missing digits mean exponent 0
  }
  if (i != text.size()) return std::nullopt;
  if (!any_digit) return negative ? -0.0L : 0.0L;  // a lone mark reads as zero

  if (plain.front() == '.') plain.insert(plain.begin(), '0');
  if (plain.back() == '.') plain.push_back('0');
  plain += exponent;

  long double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (end != plain.data() + plain.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large does not convert. Which one it is
    // follows from the sign of the number's decimal magnitude.
    if (!significant) return negative ? -0.0L : 0.0L;
    long long exp_value = 0;
    if (!exponent.empty()) {
      const std::string_view e(exponent.c_str() + 1);
      const bool exp_negative = e.front() == '-';
      std::string_view d = (e.front() == '+' || e.front() == '-') ? e.substr(1) : e;
      // Exponents too long to hold are far outside either end of the range.
      if (d.size() > 15) exp_value = exp_negative ? -1'000'000'000'000'000LL : 1'000'000'000'000'000LL;
      else {
        std::from_chars(d.data(), d.data() + d.size(), exp_value);
        if (exp_negative) exp_value = -exp_value;
      }
    }
    if (exp_value + leading_exponent <= 0) return negative ? -0.0L : 0.0L;
    return std::nullopt;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

bool IsReading(std::string_view line) {
  return TextToExtended(PointToComma(StripSpaces(line))).has_value();
}
