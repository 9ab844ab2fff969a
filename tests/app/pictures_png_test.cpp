// The pictures of a build without Qt Svg (PNGs rendered when building)
// against what Qt Svg draws of the same drawings at the sizes shown.
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

#include "app/pictures.h"

class PicturesPngTest : public QObject {
  Q_OBJECT

 private slots:
  void MatchTheDrawings_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPixmap>("png");
    QTest::newRow("scale") << "scale" << ScalePicture(QSize(157, 125));
    QTest::newRow("logo") << "qel_logo" << MakerLogo(QSize(65, 25));
    QTest::newRow("printer") << "printer" << PrinterGlyph(QSize(12, 12));
  }

  void MatchTheDrawings() {
    QFETCH(QString, name);
    QFETCH(QPixmap, png);
    const QImage a = png.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage b(a.size(), QImage::Format_ARGB32);
    b.fill(Qt::transparent);
    QPainter painter(&b);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer(QStringLiteral(WAGA_SOURCE_DIR "/app/pictures/%1.svg").arg(name)).render(&painter);
    painter.end();
    // Two renderers differ at the edges; a missing, shifted or stretched
    // picture differs everywhere.
    double difference = 0;
    int opaque = 0;
    for (int y = 0; y < a.height(); ++y) {
      for (int x = 0; x < a.width(); ++x) {
        const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
        difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                      std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        opaque += qAlpha(p) > 128;
      }
    }
    const int area = a.width() * a.height();
    QVERIFY2(opaque > area / 4, qPrintable(QString::number(opaque)));
    QVERIFY2(difference / (4.0 * area) < 8, qPrintable(QString::number(difference / (4.0 * area))));
  }
};

QTEST_MAIN(PicturesPngTest)
#include "pictures_png_test.moc"
