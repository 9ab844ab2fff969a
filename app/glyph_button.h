#pragma once

#include <QPushButton>

// A push button with an optional small glyph beside its caption, drawn with
// tight margins so that the caption fits the designed width instead of being
// cut.
class GlyphButton : public QPushButton {
 public:
  GlyphButton(const QString& caption, const QPixmap& glyph = QPixmap(),
              QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap glyph_;
};
