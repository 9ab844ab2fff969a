#pragma once

#include <QDialog>

// The transmission parameters dialog "Ustawienia...": created once at program
// start and reused; opened modally from the main window's menu.
class TFormUstaw : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 408;
  static constexpr int kClientHeight = 244;

  explicit TFormUstaw(QWidget* parent = nullptr);
};
