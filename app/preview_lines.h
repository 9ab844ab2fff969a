#pragma once

// The preview memo as a list of lines. The memo's text holds each line
// followed by a line break, so a final empty block is not a line of its own;
// a last line that the user typed without a break still counts. Texts are
// Windows-1250.

#include <string>

class QPlainTextEdit;
class QWidget;
class FramePainter;

int PreviewLineCount(const QPlainTextEdit& memo);
// Line `index` (from 0); an index outside the preview gives the empty text.
std::string PreviewLine(const QPlainTextEdit& memo, int index);
void DeleteFirstPreviewLine(QPlainTextEdit& memo);
// Adds a line at the end and scrolls the view to it; the user's cursor and
// selection stay where they are.
void AddPreviewLine(QPlainTextEdit& memo, const std::string& line);

// One serial delivery's changes to the display and the preview, painted at
// most once per screen frame. While it exists, both widgets take changes
// without painting. Then both are painted at once unless they were
// painted less than a frame ago; in that case they are painted, once for all
// the deliveries meanwhile, when that frame ends. The widgets' contents are
// always current; only their paint waits.
//
// The memo's edits are not grouped into one edit block on purpose: a block
// that both deletes the first line and adds a last one reports the whole
// document as changed, and the memo's layout then clears and redoes the
// layout of every line, once per delivery.
class PreviewBatch {
 public:
  PreviewBatch(QPlainTextEdit& memo, QWidget& display);
  ~PreviewBatch();
  PreviewBatch(const PreviewBatch&) = delete;
  PreviewBatch& operator=(const PreviewBatch&) = delete;

 private:
  FramePainter& painter_;
};
