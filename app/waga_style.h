#pragma once

#include <QProxyStyle>

// The program's style: Qt's Windows style, with the mark of a menu item of an
// exclusive group drawn as a radio dot, as the design's radio items look;
// the Windows style would draw the same tick as for an independent option.
// A scroll bar's trough is filled in bands (see drawControl), which looks
// the same.
class WagaStyle : public QProxyStyle {
 public:
  explicit WagaStyle(QStyle* base) : QProxyStyle(base) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
};
