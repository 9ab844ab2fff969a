#include <QPainter>
#include <QSvgRenderer>

#include "app/picture_source.h"

QPixmap DrawPicture(const QString& name, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}
