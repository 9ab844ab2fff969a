#pragma once

// Mraport, the preview, as the Qt-free code sees it: the lines that are not
// readings (and readings when "Wyświetlaj display" is ticked), which the
// printouts print. Line processing adds and trims, the preview page trims
// and clears, the printouts read. Texts are Windows-1250.

#include <string>

class Preview {
 public:
  virtual ~Preview() = default;

  // Lines numbered from 0. The count leaves out a final empty line after the
  // last line break.
  virtual int PreviewLineCount() const = 0;
  // Line `index`; an index outside the preview gives the empty text.
  virtual std::string PreviewLine(int index) const = 0;
  // The first `count` lines (all of them when there are fewer).
  virtual void DeleteFirstPreviewLines(int count) = 0;
  virtual void ClearPreview() = 0;
  virtual void AddPreviewLine(const std::string& line) = 0;
};
