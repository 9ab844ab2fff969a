// The reading test and the text-to-float conversion against a reference
// built on strtold: the same texts accepted, the same values.

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "text/number_text.h"
#include "fuzz/fuzz_check.h"

namespace {

struct Reference {
  bool wellFormed = false;  // sign, digits with at most one comma, exponent
  bool overflows = false;
  bool underflows = false;  // too small for a normal number
  long double value = 0;
};

// Reads the form character by character and leaves the number to strtold in
// the "C" locale, with the comma turned into a point.
Reference Expected(std::string_view text) {
  Reference r;
  std::string plain;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
  int digits = 0, commas = 0;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
      plain.push_back(text[i]);
    } else if (text[i] == ',' && commas == 0) {
      ++commas;
      plain.push_back('.');
    } else {
      break;
    }
  }
  if (digits == 0 && commas == 0) return r;
  std::string exponent;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    std::string sign;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++];
    std::string expDigits;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') expDigits.push_back(text[i++]);
    if (!expDigits.empty()) exponent = "e" + sign + expDigits;
  }
  if (i != text.size()) return r;
  r.wellFormed = true;
  if (digits == 0) return r;  // a lone mark is zero
  plain += exponent;
  errno = 0;
  char* end = nullptr;
  r.value = std::strtold(plain.c_str(), &end);
  FUZZ_CHECK(end == plain.c_str() + plain.size());
  if (errno == ERANGE) {
    if (std::isinf(r.value)) r.overflows = true;
    else r.underflows = true;
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::setlocale(LC_ALL, "C");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<long double> value = TextToExtended(text);
  const Reference expected = Expected(text);

  if (!expected.wellFormed || expected.overflows) {
    FUZZ_CHECK(!value);
  } else {
    FUZZ_CHECK(value.has_value());
    FUZZ_CHECK(std::isfinite(*value));
    if (expected.underflows) {
      FUZZ_CHECK(std::fabs(*value) <= LDBL_MIN);
    } else {
      FUZZ_CHECK(*value == expected.value);
    }
  }

  // The reading test ignores blanks anywhere and takes the point for the
  // comma: a text without blanks and points is a reading exactly when it
  // converts, also with blanks spread through it and its commas as points.
  if (text.find_first_of(" .") == std::string_view::npos) {
    FUZZ_CHECK(IsReading(text) == value.has_value());
    std::string spread = " ";
    for (char c : text) {
      spread.push_back(c == ',' ? '.' : c);
      spread.push_back(' ');
    }
    FUZZ_CHECK(IsReading(spread) == value.has_value());
  }
  return 0;
}
