#pragma once

#include <QDialog>

class QPushButton;
class TCustomComPort;
class TRadioGroup;

// The transmission parameters dialog "Ustawienia...": created once at program
// start and reused; opened modally from the main window's menu. Each opening
// selects the port and speed of the serial component; "Zamknij" ends it with
// the result OK, the caption's close button with another result.
class TFormUstaw : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 408;
  static constexpr int kClientHeight = 244;

  explicit TFormUstaw(QWidget* parent = nullptr);

  // The serial component whose settings the next opening shows.
  void SetComPort(const TCustomComPort* port) { port_ = port; }

  TRadioGroup* RGNumPortu() const { return rgNumPortu_; }
  TRadioGroup* RGSzybkosc() const { return rgSzybkosc_; }
  QPushButton* BOk() const { return bOk_; }

 public slots:
  void BOkClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();

  const TCustomComPort* port_ = nullptr;
  TRadioGroup* rgNumPortu_ = nullptr;
  TRadioGroup* rgSzybkosc_ = nullptr;
  QPushButton* bOk_ = nullptr;
};
