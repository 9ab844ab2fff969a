#include <QImage>

#include "app/picture_source.h"

// The PNGs are rendered at three times the drawing's own size, so that
// scaling down keeps them sharp on screens of up to that pixel ratio.
QPixmap DrawPicture(const QString& name, QSize size) {
  const QImage image(QStringLiteral(":/pictures/%1.png").arg(name));
  if (image.isNull()) {
    QPixmap blank(size);
    blank.fill(Qt::transparent);
    return blank;
  }
  return QPixmap::fromImage(
      image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
