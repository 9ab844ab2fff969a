#pragma once

// The large display of the readings. Qt draws glyphs this large as outlines,
// path by path, at every paint; this label draws each glyph from a picture of
// it made once, so that a new reading costs a few image copies. The caption
// is plain text on one line, placed by the label's alignment.

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPointF>
#include <QString>
#include <QVector>

class ReadingLabel final : public QLabel {
 public:
  explicit ReadingLabel(QWidget* parent = nullptr);

  // A reading in motion is drawn in grey, anything else in the palette's
  // text colour.
  void SetInMotion(bool motion);
  bool InMotion() const { return inMotion_; }
  // A caption wider than the label (a word in place of a reading) is drawn
  // smaller so that it fits; off, it is cut as a plain label cuts it.
  void SetShrinkToFit(bool shrink);

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
  QHash<quint64, Glyph> glyphs_;  // by glyph index, quarter pixel and colour
  qreal glyphRatio_ = 1;
  bool inMotion_ = false;
  bool shrinkToFit_ = false;
  QFont drawnFont_;  // the font the glyphs are drawn in          // device pixels per pixel of the pictures
};
