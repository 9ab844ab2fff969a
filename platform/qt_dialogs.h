#pragma once

// The dialogs interface on Qt widgets: modal boxes centred on the screen with
// the program's Polish captions and button texts.

#include "view/dialogs.h"

class QWidget;

class QtDialogs : public Dialogs {
 public:
  // `parent` (may be null) owns the boxes while they are shown.
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  void ShowMessage(MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& preset) override;
  std::optional<std::string> SaveFileName(const std::string& initialName) override;

 private:
  QWidget* parent_;
};
