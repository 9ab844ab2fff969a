#include "app/waga_style.h"

#include <QPainter>
#include <QStyleOptionMenuItem>
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
