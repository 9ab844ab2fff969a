#pragma once

#include <QLabel>

// A label that reports mouse buttons going down and up (any button) and a
// click (left button pressed and released over it), in this order on release:
// the click, then the button up.
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void mouseDown(Qt::MouseButton button);
  void mouseUp(Qt::MouseButton button);
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool leftDown_ = false;
};
