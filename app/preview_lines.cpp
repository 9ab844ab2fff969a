#include "app/preview_lines.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <vector>

#include "platform/qt_text.h"

int PreviewLineCount(const QPlainTextEdit& memo) {
  const QTextDocument& document = *memo.document();
  const int blocks = document.blockCount();
  return document.lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

std::string PreviewLine(const QPlainTextEdit& memo, int index) {
  if (index < 0 || index >= PreviewLineCount(memo)) return std::string();
  return FromQString(memo.document()->findBlockByNumber(index).text());
}

void DeleteFirstPreviewLine(QPlainTextEdit& memo) {
  if (PreviewLineCount(memo) == 0) return;
  // Positions rather than cursor movements: a movement lays out the block
  // it starts from, which costs a text layout per line.
  QTextDocument& document = *memo.document();
  QTextCursor cursor(&document);
  cursor.setPosition(0);
  // The line and its break; a lone line typed without a break goes whole.
  const QTextBlock next = document.firstBlock().next();
  cursor.setPosition(next.isValid() ? next.position() : document.characterCount() - 1,
                     QTextCursor::KeepAnchor);
  // An edit of its own: the cursor then does not lay out the block it ends
  // in, and the change reported covers this line only.
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  cursor.endEditBlock();
}

void AddPreviewLine(QPlainTextEdit& memo, const std::string& line) {
  QTextDocument& document = *memo.document();
  QTextCursor cursor(&document);
  cursor.setPosition(document.characterCount() - 1);  // the end, laying nothing out
  QString text;
  if (document.lastBlock().length() > 1) text += QLatin1Char('\n');
  text += ToQString(line);
  text += QLatin1Char('\n');
  cursor.beginEditBlock();  // as in DeleteFirstPreviewLine
  cursor.insertText(text);
  cursor.endEditBlock();
  QScrollBar* bar = memo.verticalScrollBar();
  bar->setValue(bar->maximum());
}

// Paints a group of widgets at most once per screen frame. The first change
// after a quiet frame is painted at once and opens a frame; changes within
// an open frame are painted together when it ends, which opens the next.
class FramePainter final : public QObject {
 public:
  static constexpr int kFrameMs = 16;

  FramePainter(QPlainTextEdit& memo, QWidget& display) : QObject(&memo) {
    setObjectName(QString::fromLatin1(kName));
    widgets_ = {&memo, &display};
    frame_.setSingleShot(true);
    frame_.setInterval(kFrameMs);
    QObject::connect(&frame_, &QTimer::timeout, this, [this] {
      if (held_) Paint();
    });
  }

  static FramePainter& Of(QPlainTextEdit& memo, QWidget& display) {
    auto* painter = memo.findChild<FramePainter*>(QString::fromLatin1(kName),
                                                  Qt::FindDirectChildrenOnly);
    return painter != nullptr ? *painter : *new FramePainter(memo, display);
  }

  // Before changes: the widgets stop painting, unless something else has
  // already stopped them, which is then left to decide.
  void Hold() {
    if (held_) return;
    for (QWidget* widget : widgets_) {
      if (widget != nullptr && !widget->updatesEnabled()) return;
    }
    held_ = true;
    for (QWidget* widget : widgets_) {
      if (widget != nullptr) widget->setUpdatesEnabled(false);
    }
  }

  // After changes: painted now, or when the open frame ends.
  void Release() {
    if (held_ && !frame_.isActive()) Paint();
  }

 private:
  static constexpr char kName[] = "wagaFramePainter";

  void Paint() {
    held_ = false;
    for (QWidget* widget : widgets_) {
      if (widget != nullptr) widget->setUpdatesEnabled(true);  // repaints it
    }
    frame_.start();
  }

  std::vector<QPointer<QWidget>> widgets_;
  QTimer frame_;
  bool held_ = false;
};

PreviewBatch::PreviewBatch(QPlainTextEdit& memo, QWidget& display)
    : painter_(FramePainter::Of(memo, display)) {
  painter_.Hold();
}

PreviewBatch::~PreviewBatch() { painter_.Release(); }
