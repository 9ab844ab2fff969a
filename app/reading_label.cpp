#include "app/reading_label.h"

#include <QEvent>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

// Sub-pixel steps of a glyph's horizontal place, so that a caption keeps the
// spacing of Qt's own layout.
constexpr int kSteps = 4;

// Grey enough to tell from black across a room, dark enough to read.
const QColor kMotionColour(140, 140, 140);

}  // namespace

ReadingLabel::ReadingLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void ReadingLabel::SetInMotion(bool motion) {
  if (motion == inMotion_) return;
  inMotion_ = motion;
  update();
}

void ReadingLabel::changeEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::FontChange || type == QEvent::PaletteChange ||
      type == QEvent::EnabledChange) {
    glyphs_.clear();
    laidOutValid_ = false;
    drawnFont_ = font();
  }
  QLabel::changeEvent(event);
}

void ReadingLabel::SetShrinkToFit(bool shrink) {
  if (shrink == shrinkToFit_) return;
  shrinkToFit_ = shrink;
  laidOutValid_ = false;
  update();
}

void ReadingLabel::LayOut() {
  if (laidOutValid_ && laidOut_ == text()) return;
  laidOut_ = text();
  laidOutValid_ = true;
  placed_.clear();
  QFont drawn = font();
  QTextLayout layout(laidOut_, drawn);
  const auto layOut = [&layout] {
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    layout.endLayout();
    return line;
  };
  QTextLine line = layOut();
  const qreal room = contentsRect().width() - 2 * margin();
  if (shrinkToFit_ && line.isValid() && line.naturalTextWidth() > room && room > 0) {
    const qreal scale = room / line.naturalTextWidth() * 0.97;
    if (drawn.pixelSize() > 0) {
      drawn.setPixelSize(std::max(1, static_cast<int>(drawn.pixelSize() * scale)));
    } else {
      drawn.setPointSizeF(drawn.pointSizeF() * scale);
    }
    layout.setFont(drawn);
    line = layOut();
  }
  if (drawn != drawnFont_) {
    drawnFont_ = drawn;
    glyphs_.clear();
  }
  width_ = line.isValid() ? line.naturalTextWidth() : 0;
  height_ = line.isValid() ? line.height() : 0;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QList<quint32> indexes = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype i = 0; i < indexes.size(); ++i) placed_.push_back({indexes[i], positions[i]});
  }
}

const ReadingLabel::Glyph& ReadingLabel::GlyphPicture(quint32 index, int quarter, qreal ratio) {
  const quint64 key = (quint64{index} << 8) | (inMotion_ ? 0x80u : 0u) | static_cast<quint64>(quarter);
  auto found = glyphs_.find(key);
  if (found != glyphs_.end()) return *found;
  const QRawFont raw = QRawFont::fromFont(drawnFont_);
  const qreal shift = static_cast<qreal>(quarter) / kSteps;
  const QRectF bounds = raw.boundingRect(index).translated(shift, 0);
  Glyph glyph;
  glyph.offset = QPoint(static_cast<int>(std::floor(bounds.left())) - 1,
                        static_cast<int>(std::floor(bounds.top())) - 1);
  const QSize size(static_cast<int>(std::ceil(bounds.right())) - glyph.offset.x() + 1,
                   static_cast<int>(std::ceil(bounds.bottom())) - glyph.offset.y() + 1);
  glyph.picture = QImage(size.expandedTo(QSize(1, 1)) * ratio, QImage::Format_ARGB32_Premultiplied);
  glyph.picture.setDevicePixelRatio(ratio);
  glyph.picture.fill(Qt::transparent);
  if (!bounds.isEmpty()) {
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes({index});
    run.setPositions({QPointF(shift, 0)});
    QPainter painter(&glyph.picture);
    painter.setPen(inMotion_ ? kMotionColour : palette().color(foregroundRole()));
    painter.drawGlyphRun(-QPointF(glyph.offset), run);
  }
  return *glyphs_.insert(key, glyph);
}

void ReadingLabel::paintEvent(QPaintEvent*) {
  LayOut();
  if (placed_.isEmpty()) return;
  const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
  qreal left = area.left();
  if (align & Qt::AlignRight) {
    left += area.width() - width_;
  } else if (align & Qt::AlignHCenter) {
    left += (area.width() - width_) / 2;
  }
  qreal top = area.top();
  if (align & Qt::AlignBottom) {
    top += area.height() - height_;
  } else if (align & Qt::AlignVCenter) {
    top += (area.height() - height_) / 2;
  }
  QPainter painter(this);
  // As many pixels as the target has for them (a scaled screen, a grab),
  // so that the glyphs stay sharp.
  const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : this;
  const qreal ratio = target->devicePixelRatioF();
  if (ratio != glyphRatio_) {
    glyphs_.clear();
    glyphRatio_ = ratio;
  }
  for (const Placed& glyph : placed_) {
    const qreal x = left + glyph.position.x();
    int whole = static_cast<int>(std::floor(x));
    int quarter = static_cast<int>(std::lround((x - whole) * kSteps));
    if (quarter == kSteps) {
      ++whole;
      quarter = 0;
    }
    const int baseline = static_cast<int>(std::lround(top + glyph.position.y()));
    const Glyph& picture = GlyphPicture(glyph.index, quarter, ratio);
    painter.drawImage(QPoint(whole, baseline) + picture.offset, picture.picture);
  }
}
