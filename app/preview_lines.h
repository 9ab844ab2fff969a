#pragma once

// The preview memo as a list of lines. The memo's text holds each line
// followed by a line break, so a final empty block is not a line of its own;
// a last line that the user typed without a break still counts. Texts are
// Windows-1250.
//
// The functions below see the preview as it is, lines still waiting in a
// ScreenFrame included: they put those into the memo first.

#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>
#include <string>

#include "app/coalesced_refresh.h"

class QLabel;
class QPlainTextEdit;

int PreviewLineCount(const QPlainTextEdit& memo);
// Line `index` (from 0); an index outside the preview gives the empty text.
std::string PreviewLine(const QPlainTextEdit& memo, int index);
void DeleteFirstPreviewLine(QPlainTextEdit& memo);
// The first `count` lines (all of them when there are fewer), in one edit.
void DeleteFirstPreviewLines(QPlainTextEdit& memo, int count);
void ClearPreview(QPlainTextEdit& memo);
// Adds a line at the end and scrolls the view to it; the user's cursor and
// selection stay where they are.
void AddPreviewLine(QPlainTextEdit& memo, const std::string& line);

// The display and the preview as the received lines change them, each shown
// at most once per its own interval (see CoalescedRefresh): the display once
// per screen frame, the preview once per kPreviewFrameMs. A flood of lines
// scrolls the preview past faster than anyone reads it, and every showing
// costs a layout of the new lines and a paint of the whole memo; the display
// is the reading and keeps the screen's rate.
//
// The display's caption is always current (only its paint waits); the
// preview's lines wait here until their interval ends and then go into the
// memo in at most two edits: the lines that went at the front, then the new
// lines at the end. One edit for both would report the whole document as
// changed and the memo would lay out every line again.
class ScreenFrame final : public QObject {
 public:
  static constexpr int kDisplayFrameMs = 16;  // a screen frame
  static constexpr int kPreviewFrameMs = 50;

  // The frame of `memo`, made on first use (the memo owns it).
  static ScreenFrame& Of(QPlainTextEdit& memo, QLabel& display);
  // Puts the lines waiting for `memo`, if any, into it now.
  static void Flush(const QPlainTextEdit& memo);

  void SetDisplayCaption(const QString& text);
  int LineCount() const;
  std::string Line(int index) const;
  void DeleteFirstLine();
  void Clear();
  void AddLine(const std::string& line);
  // Shows what waits now, without opening an interval.
  void Flush();

 private:
  ScreenFrame(QPlainTextEdit& memo, QLabel& display);
  // The memo's lines that are still to stay.
  int KeptMemoLines() const;
  void ShowPreview();
  void ShowDisplay();

  QPlainTextEdit& memo_;
  QPointer<QLabel> display_;
  bool clear_ = false;         // the memo is to be emptied first
  int removed_ = 0;            // then this many of its first lines deleted
  std::deque<QString> added_;  // then these lines added
  bool displayHeld_ = false;
  CoalescedRefresh previewRefresh_;
  CoalescedRefresh displayRefresh_;
};
