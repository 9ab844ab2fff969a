#pragma once

// The about window "O producencie...": created once, shown without being
// modal, collapsed whenever it becomes active; a click on the logo expands it
// to show the maker's advertising text.

#include <QDialog>
#include <functional>

class BevelPanel;
class ClickLabel;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 266;
  static constexpr int kCollapsedPanel = 209;
  static constexpr int kExpandedPanel = 305;
  static constexpr int kCollapsedHeight = 291;
  static constexpr int kExpandedHeight = 387;
  // The window is this much higher than its panel, frame included.
  static constexpr int kBelowPanel = kCollapsedHeight - kCollapsedPanel;
  static_assert(kExpandedHeight - kExpandedPanel == kBelowPanel);

  explicit TAboutBox(QWidget* parent = nullptr);

  // Opens a web or mailto address with the desktop's handler; tests replace it.
  void SetUrlOpener(std::function<void(const QString&)> opener) { openUrl_ = std::move(opener); }

  BevelPanel* Panel1() const { return panel1_; }
  ClickLabel* Iqel() const { return iqel_; }
  ClickLabel* Label3() const { return label3_; }
  ClickLabel* Lqelemail() const { return lqelemail_; }
  QLabel* Lversion() const { return lversion_; }
  QPlainTextEdit* Mreklama() const { return mreklama_; }
  QPushButton* OKButton() const { return okButton_; }
  // The outer height: frame and caption included, as far as they are known.
  int OuterHeight() const;

 public slots:
  void FormActivate();
  void IqelClick();
  void Label3Click();
  void LqelemailClick();
  void OKButtonClick();

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void SetLinkColour(ClickLabel* label, const QColor& colour);
  // The outer height that goes with the panel's: 291 collapsed, 387 expanded.
  int DesignedOuterHeight() const;
  // Panel height, then the outer window height to match and the OK button
  // at that height minus 63.
  void Resize(int panelHeight);
  void FitFrame();

  BevelPanel* panel1_ = nullptr;
  ClickLabel* iqel_ = nullptr;
  ClickLabel* label3_ = nullptr;
  ClickLabel* lqelemail_ = nullptr;
  QLabel* lversion_ = nullptr;
  QPlainTextEdit* mreklama_ = nullptr;
  QPushButton* okButton_ = nullptr;
  std::function<void(const QString&)> openUrl_;
};
