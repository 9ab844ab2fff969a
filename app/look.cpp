#include "app/look.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include "app/waga_style.h"

namespace {

void SubstituteDesignedFonts() {
  static const bool done = [] {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    return true;
  }();
  (void)done;
}

QFont Designed(const char* family, int pixels) {
  SubstituteDesignedFonts();
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  return font;
}

}  // namespace

void InstallWagaLook(QApplication& app) {
  if (QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"))) {
    auto* style = new WagaStyle(windows);
    QApplication::setStyle(style);
    QApplication::setPalette(style->standardPalette());
  }
  app.setFont(FormFont());
}

QFont FormFont() { return Designed("MS Sans Serif", 11); }

QFont ArialFont(int pixels, bool bold) {
  QFont font = Designed("Arial", pixels);
  font.setBold(bold);
  return font;
}

QFont CourierFont(int pixels) {
  QFont font = Designed("Courier New", pixels);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}
