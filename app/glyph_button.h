#pragma once

#include <QPushButton>

// A push button with an optional small glyph beside its caption, drawn with
// tight margins so that the caption fits the designed width instead of being
// cut. Where even that is too narrow (the designed widths were measured with
// a narrower font than the one that stands in for it here), the caption's
// font gets smaller, a pixel at a time, until glyph and caption fit.
class GlyphButton : public QPushButton {
 public:
  GlyphButton(const QString& caption, const QPixmap& glyph = QPixmap(), QWidget* parent = nullptr);

  // Where the caption is drawn, and in which font.
  QRect CaptionRect() const;
  QFont CaptionFont() const;
  // The inside of the bevel, which glyph and caption must not leave.
  QRect ContentArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Layout {
    QFont font;
    QPoint glyph;
    QRect caption;
  };
  Layout Arrange() const;

  QPixmap glyph_;
};
