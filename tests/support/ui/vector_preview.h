#pragma once

// The preview of a window interface (ScaleScreen, PrintoutHost, PreviewPage)
// as a plain list of lines, for the tests' stand-ins of the main window.

#include <algorithm>
#include <string>
#include <vector>

template <class Interface>
struct VectorPreview : Interface {
  std::vector<std::string> preview;

  int PreviewLineCount() const override { return static_cast<int>(preview.size()); }
  std::string PreviewLine(int index) const override {
    return index >= 0 && index < PreviewLineCount() ? preview[static_cast<std::size_t>(index)] : "";
  }
  void DeleteFirstPreviewLines(int count) override {
    preview.erase(preview.begin(), preview.begin() + std::clamp(count, 0, PreviewLineCount()));
  }
  void ClearPreview() override { preview.clear(); }
  void AddPreviewLine(const std::string& line) override { preview.push_back(line); }
};
