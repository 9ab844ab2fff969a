#include "app/click_label.h"

#include <QMouseEvent>

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftDown_ = true;
  emit mouseDown(event->button());
  event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && leftDown_) {
    leftDown_ = false;
    if (rect().contains(event->position().toPoint())) emit clicked();
  }
  emit mouseUp(event->button());
  event->accept();
}
