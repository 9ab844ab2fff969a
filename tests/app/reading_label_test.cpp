#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "app/look.h"
#include "app/reading_label.h"

namespace {

// The label drawn into an image with `ratio` device pixels per pixel.
QImage Drawn(QLabel& label, const QString& text, qreal ratio = 1) {
  label.setFont(ArialFont(96));
  label.setAlignment(Qt::AlignRight | Qt::AlignTop);
  label.setAutoFillBackground(true);
  QPalette palette = label.palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::black);
  label.setPalette(palette);
  label.resize(345, 97);
  label.setText(text);
  QImage image(label.size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  label.render(&image);
  return image;
}

// The box of the pixels darker than mid grey.
QRect Ink(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

}  // namespace

class ReadingLabelTest : public QObject {
  Q_OBJECT

 private slots:
  void drawsTheCaptionWhereAndAsAPlainLabelDoes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("reading") << QStringLiteral("12.50") << 1.0;
    QTest::newRow("negative") << QStringLiteral("-0.5") << 1.0;
    QTest::newRow("no reading") << QStringLiteral("- - - - -") << 1.0;
    QTest::newRow("too wide") << QStringLiteral("-123456.789") << 1.0;
    QTest::newRow("scaled screen") << QStringLiteral("12.50") << 2.0;
  }

  void drawsTheCaptionWhereAndAsAPlainLabelDoes() {
    QFETCH(QString, text);
    QFETCH(qreal, ratio);
    QLabel plain;
    ReadingLabel reading;
    const QImage expected = Drawn(plain, text, ratio);
    // Twice: the second paint draws from the glyph pictures made by the first.
    Drawn(reading, QStringLiteral("0"), ratio);
    const QImage actual = Drawn(reading, text, ratio);
    const QRect ink = Ink(expected);
    QVERIFY(!ink.isEmpty());
    const QRect drawn = Ink(actual);
    const int near = static_cast<int>(ratio);  // device pixels
    QVERIFY2(std::abs(drawn.left() - ink.left()) <= near && std::abs(drawn.right() - ink.right()) <= near &&
                 std::abs(drawn.top() - ink.top()) <= near && std::abs(drawn.bottom() - ink.bottom()) <= near,
             qPrintable(QStringLiteral("ink %1,%2-%3,%4 instead of %5,%6-%7,%8")
                            .arg(drawn.left()).arg(drawn.top()).arg(drawn.right()).arg(drawn.bottom())
                            .arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())));
    int apart = 0;
    for (int y = 0; y < expected.height(); ++y) {
      for (int x = 0; x < expected.width(); ++x) {
        apart += std::abs(qGray(expected.pixel(x, y)) - qGray(actual.pixel(x, y))) > 96 ? 1 : 0;
      }
    }
    QVERIFY2(apart * 100 < ink.width() * ink.height(), qPrintable(QString::number(apart)));
  }

  void emptyCaptionLeavesOnlyTheBackground() {
    ReadingLabel reading;
    Drawn(reading, QStringLiteral("12.50"));
    QVERIFY(Ink(Drawn(reading, QString())).isEmpty());
  }

  void readingInMotionIsGreyAndStableBlackAgain() {
    ReadingLabel reading;
    const auto darkest = [](const QImage& image) {
      int least = 255;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) least = std::min(least, qGray(image.pixel(x, y)));
      return least;
    };
    QCOMPARE(darkest(Drawn(reading, QStringLiteral("88"))), 0);
    reading.SetInMotion(true);
    const int grey = darkest(Drawn(reading, QStringLiteral("88")));
    QVERIFY2(grey > 96 && grey < 192, qPrintable(QString::number(grey)));
    reading.SetInMotion(false);
    QCOMPARE(darkest(Drawn(reading, QStringLiteral("88"))), 0);
  }

  void aWordShrinksToFitAndANumberDoesNot() {
    ReadingLabel reading;
    const QString word = QString::fromUtf8("Niedociążenie");
    QVERIFY(Ink(Drawn(reading, word)).left() <= 0);  // cut at the left, as a plain label cuts it
    reading.SetShrinkToFit(true);
    const QRect ink = Ink(Drawn(reading, word));
    QVERIFY2(ink.left() > 0 && ink.width() > 250, qPrintable(QString::number(ink.left())));
  }

  void newColourRedrawsTheGlyphs() {
    ReadingLabel reading;
    Drawn(reading, QStringLiteral("8"));
    QPalette palette = reading.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Window, Qt::black);
    reading.setPalette(palette);
    QImage image(reading.size(), QImage::Format_RGB32);
    reading.render(&image);
    // White on black: only the glyph is light.
    int light = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) light += qGray(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    QVERIFY(light > 500);
  }
};

QTEST_MAIN(ReadingLabelTest)
#include "reading_label_test.moc"
