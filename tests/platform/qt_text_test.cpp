#include "platform/qt_text.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

#include "text/win1250.h"

namespace {

TEST(QtText, CodecAndTableAgreeOnEveryByte) {
  if (!QStringDecoder("windows-1250").isValid()) GTEST_SKIP() << "this Qt has no windows-1250 codec";
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(ToQString(one), QString::fromStdString(Cp1250ToUtf8(one))) << b;
  }
}

TEST(QtText, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString text = ToQString(all);
  EXPECT_EQ(text.size(), 256);
  EXPECT_EQ(FromQString(text), all);
}

TEST(QtText, PolishLettersAndUnmappableCharacters) {
  const QString polish = QString::fromUtf8("Zażółć gęślą jaźń ĄĘŁŃÓŚŹŻĆ");
  EXPECT_EQ(FromQString(polish), Utf8ToCp1250(polish.toStdString()));
  EXPECT_EQ(ToQString(FromQString(polish)), polish);
  EXPECT_EQ(FromQString(QString::fromUtf8("a\u03A9b\U0001F600c")), "a?b?c");
  EXPECT_EQ(FromQString(QString()), "");
}

}  // namespace
