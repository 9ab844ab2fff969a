#include "balance/mass_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "text/umy_fun.h"

namespace {

constexpr int kDigits = 18;     // significant digits the value is first taken to
constexpr int kPrecision = 8;   // significant digits written at most

// The value as a decimal: significant digits and the power of ten of the first.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal EighteenDigits(double magnitude) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, kDigits - 1);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  Decimal d;
  for (char c : text.substr(0, e))
    if (c != '.') d.digits.push_back(c);
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), d.exponent);
  return d;
}

// Keeps the first `keep` digits, rounding half up on the next one. A carry
// out of the first digit adds a leading 1 and raises the exponent.
void RoundHalfUp(Decimal& d, int keep) {
  if (keep < 0) {
    d.digits.clear();  // the first digit lies beyond the next-to-last place: zero
    return;
  }
  const auto kept = static_cast<std::size_t>(keep);
  const bool up = kept < d.digits.size() && d.digits[kept] >= '5';
  d.digits.resize(std::min(kept, d.digits.size()));
  if (!up) return;
  int i = static_cast<int>(d.digits.size()) - 1;
  for (; i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9'; --i) d.digits[static_cast<std::size_t>(i)] = '0';
  if (i >= 0) {
    ++d.digits[static_cast<std::size_t>(i)];
  } else {
    d.digits.insert(d.digits.begin(), '1');
    ++d.exponent;
  }
}

char DigitAt(const Decimal& d, int power) {
  const int index = d.exponent - power;
  return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(index)] : '0';
}

bool IsZero(const Decimal& d) {
  return std::all_of(d.digits.begin(), d.digits.end(), [](char c) { return c == '0'; });
}

// d.ddddddd, "E", the exponent's sign and digits: 8 significant digits like
// the fixed form, e.g. 1.2345679E+9.
std::string ExponentForm(Decimal d) {
  RoundHalfUp(d, kPrecision);
  std::string out(1, DigitAt(d, d.exponent));
  out += ',';
  for (int k = 1; k < kPrecision; ++k) out += DigitAt(d, d.exponent - k);
  out += d.exponent < 0 ? "E-" : "E+";
  out += std::to_string(std::abs(d.exponent));
  return out;
}

}  // namespace

std::string FormatMass(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const int places = std::clamp(decimals, 0, kDigits);

  Decimal d = EighteenDigits(std::fabs(value));
  std::string body;
  if (!IsZero(d) && d.exponent + 1 > kPrecision) {
    body = ExponentForm(d);
  } else {
    if (IsZero(d)) d.exponent = 0;
    RoundHalfUp(d, std::min(kPrecision, d.exponent + 1 + places));
    for (int power = std::max(d.exponent, 0); power >= 0; --power) body += DigitAt(d, power);
    if (places > 0) {
      body += ',';
      for (int power = -1; power >= -places; --power) body += DigitAt(d, power);
    }
  }
  if (std::signbit(value) && !IsZero(d)) body.insert(body.begin(), '-');
  // Written with the comma of the number conversions, shown with a point.
  return CommaToPoint(body);
}
