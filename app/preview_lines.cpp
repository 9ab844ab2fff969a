#include "app/preview_lines.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

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
  cursor.removeSelectedText();
}

void AddPreviewLine(QPlainTextEdit& memo, const std::string& line) {
  QTextDocument& document = *memo.document();
  QTextCursor cursor(&document);
  cursor.setPosition(document.characterCount() - 1);  // the end, laying nothing out
  QString text;
  if (document.lastBlock().length() > 1) text += QLatin1Char('\n');
  text += ToQString(line);
  text += QLatin1Char('\n');
  cursor.insertText(text);
  QScrollBar* bar = memo.verticalScrollBar();
  bar->setValue(bar->maximum());
}

namespace {

// While lines flood in, the preview is painted at most this often: each
// paint of the whole view costs far more than the lines of one delivery.
constexpr int kRepaintIntervalMs = 20;
constexpr char kRepaintPending[] = "wagaRepaintPending";

bool RepaintPending(const QPlainTextEdit& memo) { return memo.property(kRepaintPending).toBool(); }

}  // namespace

PreviewBatch::PreviewBatch(QPlainTextEdit& memo)
    : memo_(memo), updatesWereEnabled_(memo.updatesEnabled() || RepaintPending(memo)) {
  watch_ = QObject::connect(memo_.document(), &QTextDocument::contentsChange,
                            [this](int, int, int charsAdded) { added_ |= charsAdded > 0; });
  memo_.setUpdatesEnabled(false);
  QTextCursor(memo_.document()).beginEditBlock();
}

PreviewBatch::~PreviewBatch() {
  QTextCursor(memo_.document()).endEditBlock();
  QObject::disconnect(watch_);
  if (added_) {
    QScrollBar* bar = memo_.verticalScrollBar();
    bar->setValue(bar->maximum());
  }
  if (!updatesWereEnabled_ || RepaintPending(memo_)) return;
  memo_.setProperty(kRepaintPending, true);
  QPointer<QPlainTextEdit> memo(&memo_);
  QTimer::singleShot(kRepaintIntervalMs, &memo_, [memo] {
    if (!memo) return;
    memo->setProperty(kRepaintPending, false);
    memo->setUpdatesEnabled(true);
  });
}
