#include "app/waga_style.h"

#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QStyleOptionSlider>
#include <algorithm>

void WagaStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (element != PE_IndicatorMenuCheckMark || item == nullptr ||
      item->checkType != QStyleOptionMenuItem::Exclusive) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const QColor colour = option->palette.color((option->state & State_On) ? QPalette::HighlightedText
                                                                         : QPalette::Text);
  const int diameter = std::max(4, std::min(option->rect.width(), option->rect.height()) / 3);
  QRectF dot(0, 0, diameter, diameter);
  dot.moveCenter(QRectF(option->rect).center());
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setPen(Qt::NoPen);
  painter->setBrush(colour);
  painter->drawEllipse(dot);
  painter->restore();
}

void WagaStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
  const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
  if ((element != CE_ScrollBarAddPage && element != CE_ScrollBarSubPage) || bar == nullptr) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // The trough is a patterned fill, and Qt hands a patterned fill of 96 rows
  // or more to its thread pool and waits for it. The preview's scroll bar is
  // repainted at every showing of a scrolling preview, and waking the pool
  // costs more than the fill; bands of fewer rows are filled at once. The
  // pattern keeps to the painter's origin, so the bands join seamlessly.
  constexpr int kBandRows = 64;
  QStyleOptionSlider band = *bar;
  for (int top = bar->rect.top(); top <= bar->rect.bottom(); top += kBandRows) {
    band.rect = QRect(bar->rect.left(), top, bar->rect.width(),
                      std::min(kBandRows, bar->rect.bottom() + 1 - top));
    QProxyStyle::drawControl(element, &band, painter, widget);
  }
}
