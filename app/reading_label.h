#pragma once

// The large display of the readings. Qt draws glyphs this large as outlines,
// path by path, at every paint; this label draws each glyph from a picture of
// it made once, so that a new reading costs a few image copies. The caption
// is plain text on one line, placed by the label's alignment.

#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPointF>
#include <QString>
#include <QVector>

class ReadingLabel final : public QLabel {
 public:
  explicit ReadingLabel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Glyph {
    QImage picture;
    QPoint offset;  // of the picture from the glyph's pen position, whole pixels
  };
  struct Placed {
    quint32 index;
    QPointF position;  // on the baseline, from the top left of the caption
  };

  // The glyphs of the caption, laid out again when it has changed.
  void LayOut();
  const Glyph& GlyphPicture(quint32 index, int quarter, qreal ratio);

  QString laidOut_;
  bool laidOutValid_ = false;
  qreal width_ = 0;
  qreal height_ = 0;
  QVector<Placed> placed_;
  QHash<quint64, Glyph> glyphs_;  // by glyph index and quarter pixel
  qreal glyphRatio_ = 1;          // device pixels per pixel of the pictures
};
