#include "app/glyph_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {
constexpr int kSpacing = 3;
constexpr int kMargin = 2;
}  // namespace

GlyphButton::GlyphButton(const QString& caption, const QPixmap& glyph, QWidget* parent)
    : QPushButton(caption, parent), glyph_(glyph) {}

void GlyphButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const int textWidth = fontMetrics().horizontalAdvance(text());
  const int glyphWidth = glyph_.isNull() ? 0 : int(glyph_.width() / glyph_.devicePixelRatio());
  const int spacing = glyph_.isNull() ? 0 : kSpacing;
  const int total = glyphWidth + spacing + textWidth;
  int left = std::max(kMargin, (width() - total) / 2);
  if (isDown()) left += 1;
  const int shift = isDown() ? 1 : 0;
  if (!glyph_.isNull()) {
    const int glyphHeight = int(glyph_.height() / glyph_.devicePixelRatio());
    painter.drawPixmap(left, (height() - glyphHeight) / 2 + shift, glyph_);
  }
  const QRect textRect(left + glyphWidth + spacing, shift, width() - left - glyphWidth - spacing,
                       height());
  painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                       isEnabled(), text(), QPalette::ButtonText);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(3, 3, -3, -3);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}
