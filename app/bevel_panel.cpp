#include "app/bevel_panel.h"

#include <QPainter>
#include <qdrawutil.h>

BevelPanel::BevelPanel(Bevel outer, Bevel inner, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner) {
  setAutoFillBackground(true);
}

void BevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect rect = this->rect();
  for (const Bevel bevel : {outer_, inner_}) {
    if (bevel != Bevel::None) {
      qDrawShadePanel(&painter, rect, palette(), bevel == Bevel::Lowered, 1);
    }
    rect.adjust(1, 1, -1, -1);
  }
}
