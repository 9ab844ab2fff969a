#pragma once

// The preview memo as a list of lines. The memo's text holds each line
// followed by a line break, so a final empty block is not a line of its own;
// a last line that the user typed without a break still counts. Texts are
// Windows-1250.

#include <QMetaObject>
#include <string>

class QPlainTextEdit;

int PreviewLineCount(const QPlainTextEdit& memo);
// Line `index` (from 0); an index outside the preview gives the empty text.
std::string PreviewLine(const QPlainTextEdit& memo, int index);
void DeleteFirstPreviewLine(QPlainTextEdit& memo);
// Adds a line at the end and scrolls the view to it; the user's cursor and
// selection stay where they are.
void AddPreviewLine(QPlainTextEdit& memo, const std::string& line);

// While one exists, the lines added to and deleted from the memo form one
// edit that is laid out, scrolled and painted once, when it ends, instead of
// once per line: at full speed the per-line layout and scrolling of the view
// is most of what a line costs. The view ends at the last line when a line
// was added meanwhile, and is painted again within a few milliseconds, once
// for all the batches that end in that time.
class PreviewBatch {
 public:
  explicit PreviewBatch(QPlainTextEdit& memo);
  ~PreviewBatch();
  PreviewBatch(const PreviewBatch&) = delete;
  PreviewBatch& operator=(const PreviewBatch&) = delete;

 private:
  QPlainTextEdit& memo_;
  bool updatesWereEnabled_;
  bool added_ = false;
  QMetaObject::Connection watch_;
};
