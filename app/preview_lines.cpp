#include "app/preview_lines.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/qt_text.h"

namespace {

constexpr char kFrameName[] = "wagaScreenFrame";

int MemoLineCount(const QTextDocument& document) {
  const int blocks = document.blockCount();
  return document.lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

// Positions rather than cursor movements throughout: a movement lays out the
// block it starts from, which costs a text layout per line.
void RemoveFirstMemoLines(QPlainTextEdit& memo, int count) {
  QTextDocument& document = *memo.document();
  if (count <= 0 || MemoLineCount(document) == 0) return;
  QTextCursor cursor(&document);
  cursor.setPosition(0);
  // The lines and their breaks; a last line typed without a break goes whole.
  const QTextBlock next = document.findBlockByNumber(count);
  cursor.setPosition(next.isValid() ? next.position() : document.characterCount() - 1,
                     QTextCursor::KeepAnchor);
  // An edit of its own: the cursor then does not lay out the block it ends
  // in, and the change reported covers these lines only.
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  cursor.endEditBlock();
}

// `lines` is each line followed by its break.
void AppendMemoLines(QPlainTextEdit& memo, const QString& lines) {
  QTextDocument& document = *memo.document();
  QTextCursor cursor(&document);
  cursor.setPosition(document.characterCount() - 1);  // the end, laying nothing out
  cursor.beginEditBlock();                             // as in RemoveFirstMemoLines
  if (document.lastBlock().length() > 1) cursor.insertText(QStringLiteral("\n"));
  cursor.insertText(lines);
  cursor.endEditBlock();
  QScrollBar* bar = memo.verticalScrollBar();
  bar->setValue(bar->maximum());
}

ScreenFrame* FrameOf(const QPlainTextEdit& memo) {
  return memo.findChild<ScreenFrame*>(QString::fromLatin1(kFrameName), Qt::FindDirectChildrenOnly);
}

}  // namespace

int PreviewLineCount(const QPlainTextEdit& memo) {
  ScreenFrame::Flush(memo);
  return MemoLineCount(*memo.document());
}

std::string PreviewLine(const QPlainTextEdit& memo, int index) {
  if (index < 0 || index >= PreviewLineCount(memo)) return std::string();
  return FromQString(memo.document()->findBlockByNumber(index).text());
}

void DeleteFirstPreviewLine(QPlainTextEdit& memo) { DeleteFirstPreviewLines(memo, 1); }

void DeleteFirstPreviewLines(QPlainTextEdit& memo, int count) {
  ScreenFrame::Flush(memo);
  RemoveFirstMemoLines(memo, count);
}

void ClearPreview(QPlainTextEdit& memo) {
  ScreenFrame::Flush(memo);
  memo.clear();
}

void AddPreviewLine(QPlainTextEdit& memo, const std::string& line) {
  ScreenFrame::Flush(memo);
  AppendMemoLines(memo, ToQString(line) + QLatin1Char('\n'));
}

ScreenFrame::ScreenFrame(QPlainTextEdit& memo, QLabel& display)
    : QObject(&memo),
      memo_(memo),
      display_(&display),
      previewRefresh_(kPreviewFrameMs, [this] { ShowPreview(); }),
      displayRefresh_(kDisplayFrameMs, [this] { ShowDisplay(); }) {
  setObjectName(QString::fromLatin1(kFrameName));
}

ScreenFrame& ScreenFrame::Of(QPlainTextEdit& memo, QLabel& display) {
  ScreenFrame* frame = FrameOf(memo);
  return frame != nullptr ? *frame : *new ScreenFrame(memo, display);
}

void ScreenFrame::Flush(const QPlainTextEdit& memo) {
  if (ScreenFrame* frame = FrameOf(memo)) frame->Flush();
}

void ScreenFrame::SetDisplayCaption(const QString& text) {
  if (display_ == nullptr || display_->text() == text) return;
  // The label repaints itself on every change; within a frame it only takes
  // the text, and paints when the frame ends.
  if (displayRefresh_.Open() && !displayHeld_ && display_->updatesEnabled()) {
    displayHeld_ = true;
    display_->setUpdatesEnabled(false);
  }
  display_->setText(text);
  displayRefresh_.Changed();
}

int ScreenFrame::KeptMemoLines() const {
  return clear_ ? 0 : std::max(0, MemoLineCount(*memo_.document()) - removed_);
}

int ScreenFrame::LineCount() const { return KeptMemoLines() + static_cast<int>(added_.size()); }

std::string ScreenFrame::Line(int index) const {
  const int kept = KeptMemoLines();
  if (index < 0) return std::string();
  if (index < kept) return FromQString(memo_.document()->findBlockByNumber(removed_ + index).text());
  const auto waiting = static_cast<std::size_t>(index - kept);
  return waiting < added_.size() ? FromQString(added_[waiting]) : std::string();
}

void ScreenFrame::DeleteFirstLine() {
  if (KeptMemoLines() > 0) {
    ++removed_;
  } else if (!added_.empty()) {
    added_.pop_front();
  } else {
    return;
  }
  previewRefresh_.Changed();
}

void ScreenFrame::Clear() {
  clear_ = true;
  removed_ = 0;
  added_.clear();
  previewRefresh_.Changed();
}

void ScreenFrame::AddLine(const std::string& line) {
  added_.push_back(ToQString(line));
  previewRefresh_.Changed();
}

void ScreenFrame::Flush() {
  ShowPreview();
  ShowDisplay();
}

void ScreenFrame::ShowPreview() {
  if (clear_) memo_.clear();
  RemoveFirstMemoLines(memo_, removed_);
  if (!added_.empty()) {
    qsizetype length = 0;
    for (const QString& line : added_) length += line.size() + 1;
    QString text;
    text.reserve(length);
    for (const QString& line : added_) {
      text += line;
      text += QLatin1Char('\n');
    }
    AppendMemoLines(memo_, text);
  }
  clear_ = false;
  removed_ = 0;
  added_.clear();
}

void ScreenFrame::ShowDisplay() {
  if (!displayHeld_) return;
  displayHeld_ = false;
  if (display_ != nullptr) display_->setUpdatesEnabled(true);  // repaints it
}
