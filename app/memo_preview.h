#pragma once

// Mraport as the Preview of a window interface that carries it (the
// printouts' host, the preview page): the preview functions on the memo,
// which take in the lines still waiting in its ScreenFrame first.

#include <QPlainTextEdit>
#include <string>

#include "app/preview_lines.h"

template <class Interface>
class MemoPreview : public Interface {
 public:
  explicit MemoPreview(QPlainTextEdit& memo) : memo_(memo) {}

  int PreviewLineCount() const override { return ::PreviewLineCount(memo_); }
  std::string PreviewLine(int index) const override { return ::PreviewLine(memo_, index); }
  void DeleteFirstPreviewLines(int count) override { ::DeleteFirstPreviewLines(memo_, count); }
  void ClearPreview() override { ::ClearPreview(memo_); }
  void AddPreviewLine(const std::string& line) override { ::AddPreviewLine(memo_, line); }

 private:
  QPlainTextEdit& memo_;
};
