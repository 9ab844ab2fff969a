#include "app/pictures.h"

#include "app/picture_source.h"

// The resources live in a static library: nothing would pull them in.
static void EnsureResources() {
  static const bool loaded = [] {
    Q_INIT_RESOURCE(pictures);
    return true;
  }();
  (void)loaded;
}

namespace {

QPixmap Picture(const char* name, QSize size) {
  EnsureResources();
  return DrawPicture(QString::fromLatin1(name), size);
}

}  // namespace

QPixmap ScalePicture(QSize size) { return Picture("scale", size); }
QPixmap MakerLogo(QSize size) { return Picture("qel_logo", size); }
QPixmap PrinterGlyph(QSize size) { return Picture("printer", size); }
