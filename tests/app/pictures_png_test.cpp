#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <cstdlib>

#include "app/pictures.h"

// The pictures as a build without Qt Svg has them (PNGs rendered when
// building) against what Qt Svg draws of the same drawings.
class PicturesPngTest : public QObject {
  Q_OBJECT

 private slots:
  void MatchTheDrawings_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("scale") << "scale" << QSize(157, 125);
    QTest::newRow("logo") << "qel_logo" << QSize(153, 57);
    QTest::newRow("logo in the about window") << "qel_logo" << QSize(65, 25);
    QTest::newRow("printer glyph") << "printer" << QSize(12, 12);
  }

  void MatchTheDrawings() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QPixmap picture = name == "scale"      ? ScalePicture(size)
                            : name == "printer" ? PrinterGlyph(size)
                                                : MakerLogo(size);
    const QImage png = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png.size(), size);

    QImage svg(size, QImage::Format_ARGB32);
    svg.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(WAGA_SOURCE_DIR "/app/pictures/%1.svg").arg(name));
    QVERIFY(renderer.isValid());
    QPainter painter(&svg);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();

    // Two renderers differ at the edges; a missing, shifted or stretched
    // picture differs everywhere.
    long difference = 0;
    long opaque = 0;
    for (int y = 0; y < size.height(); ++y) {
      for (int x = 0; x < size.width(); ++x) {
        const QColor a = png.pixelColor(x, y);
        const QColor b = svg.pixelColor(x, y);
        difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                      std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha());
        opaque += a.alpha() > 128;
      }
    }
    const double area = size.width() * size.height();
    QVERIFY2(opaque > area / 4, qPrintable(QString::number(opaque)));
    const double perChannel = difference / (area * 4);
    QVERIFY2(perChannel < 8, qPrintable(QString::number(perChannel)));
  }
};

QTEST_MAIN(PicturesPngTest)
#include "pictures_png_test.moc"
