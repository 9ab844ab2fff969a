#include "text/win1250.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr char32_t kNoCharacter = 0xFFFD;

// The characters of bytes 0x80 to 0xFF; bytes below are ASCII. The five
// bytes the code page leaves unassigned carry the C1 control of the same
// number, as the system converters do, so that every byte survives a trip
// through Unicode and back.
constexpr std::array<char32_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[i], advancing i; a malformed sequence
// (bad lead or continuation byte, overlong form, surrogate, beyond U+10FFFF)
// yields U+FFFD and skips one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int length = 0;
  char32_t c = 0, minimum = 0;
  if ((lead & 0xE0) == 0xC0) { length = 2; c = lead & 0x1F; minimum = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { length = 3; c = lead & 0x0F; minimum = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { length = 4; c = lead & 0x07; minimum = 0x10000; }
  if (length == 0 || i + length > text.size()) {
    ++i;
    return kNoCharacter;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned char next = byte(i + k);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kNoCharacter;
    }
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kNoCharacter;
  }
  i += length;
  return c;
}

char ByteOf(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  // The table inverted once: characters in order, each with its byte.
  static const auto inverse = [] {
    std::array<std::pair<char32_t, unsigned char>, 128> pairs{};
    for (std::size_t k = 0; k < kUpperHalf.size(); ++k)
      pairs[k] = {kUpperHalf[k], static_cast<unsigned char>(0x80 + k)};
    std::sort(pairs.begin(), pairs.end());
    return pairs;
  }();
  const auto it = std::lower_bound(inverse.begin(), inverse.end(), std::pair<char32_t, unsigned char>{c, 0});
  return it != inverse.end() && it->first == c ? static_cast<char>(it->second) : '?';
}

}  // namespace

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b < 0x80 ? char32_t{b} : kUpperHalf[b - 0x80]);
  }
  return out;
}

std::string Utf8ToCp1250(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(ByteOf(NextCodePoint(text, i)));
  return out;
}
