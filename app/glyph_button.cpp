#include "app/glyph_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {
constexpr int kSpacing = 3;
constexpr int kBevel = 2;
constexpr int kSmallestPixels = 9;
}  // namespace

GlyphButton::GlyphButton(const QString& caption, const QPixmap& glyph, QWidget* parent)
    : QPushButton(caption, parent), glyph_(glyph) {}

QRect GlyphButton::ContentArea() const { return rect().adjusted(kBevel, kBevel, -kBevel, -kBevel); }

GlyphButton::Layout GlyphButton::Arrange() const {
  const QRect area = ContentArea();
  const QSize glyph = glyph_.isNull() ? QSize() : glyph_.deviceIndependentSize().toSize();
  const int spacing = glyph_.isNull() ? 0 : kSpacing;

  QFont font = this->font();
  int textWidth = QFontMetrics(font).horizontalAdvance(text());
  while (glyph.width() + spacing + textWidth > area.width() && font.pixelSize() > kSmallestPixels) {
    font.setPixelSize(font.pixelSize() - 1);
    textWidth = QFontMetrics(font).horizontalAdvance(text());
  }
  const int total = glyph.width() + spacing + textWidth;
  const int left = area.left() + std::max(0, (area.width() - total) / 2);
  const int shift = isDown() ? 1 : 0;
  Layout layout;
  layout.font = font;
  layout.glyph = QPoint(left + shift, (height() - glyph.height()) / 2 + shift);
  layout.caption =
      QRect(left + glyph.width() + spacing + shift, area.top() + shift, textWidth, area.height());
  return layout;
}

QRect GlyphButton::CaptionRect() const { return Arrange().caption; }

QFont GlyphButton::CaptionFont() const { return Arrange().font; }

void GlyphButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const Layout layout = Arrange();
  if (!glyph_.isNull()) painter.drawPixmap(layout.glyph, glyph_);
  painter.setFont(layout.font);
  painter.drawItemText(layout.caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                       palette(), isEnabled(), text(), QPalette::ButtonText);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(3, 3, -3, -3);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}
