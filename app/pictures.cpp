#include "app/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: nothing would pull them in.
static void EnsureResources() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(pictures);
    return true;
  }();
  (void)loaded;
}

namespace {

QPixmap Render(const QString& resource, QSize size) {
  EnsureResources();
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(resource);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}

}  // namespace

QPixmap ScalePicture(QSize size) { return Render(QStringLiteral(":/pictures/scale.svg"), size); }
QPixmap MakerLogo(QSize size) { return Render(QStringLiteral(":/pictures/qel_logo.svg"), size); }
QPixmap PrinterGlyph(QSize size) { return Render(QStringLiteral(":/pictures/printer.svg"), size); }
