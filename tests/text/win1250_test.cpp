#include "text/win1250.h"

#include <gtest/gtest.h>

TEST(Win1250, PolishLettersRoundTrip) {
  const std::string utf8 = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż";
  const std::string cp = "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF";
  EXPECT_EQ(Utf8ToCp1250(utf8), cp);
  EXPECT_EQ(Cp1250ToUtf8(cp), utf8);
}

TEST(Win1250, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
  EXPECT_EQ(Cp1250ToUtf8("\x81\x98"), "\xC2\x81\xC2\x98");  // unassigned: C1 controls
}

TEST(Win1250, UnmappableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1250("a€b"), "a\x80" "b");
  EXPECT_EQ(Utf8ToCp1250("Ω😀"), "??");              // no byte for either
  EXPECT_EQ(Utf8ToCp1250("x\xC5"), "x?");            // cut sequence
  EXPECT_EQ(Utf8ToCp1250("\xC0\xAF" "z"), "??z");    // overlong '/'
  EXPECT_EQ(Utf8ToCp1250("\xED\xA0\x80"), "???");    // surrogate
}
