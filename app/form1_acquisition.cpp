// Scale data: the received characters, the first connection and the
// supervision tick of the main window.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

#include "acquisition/connection_supervision.h"
#include "acquisition/line_assembly.h"
#include "acquisition/line_processing.h"
#include "app/form1.h"
#include "app/preview_lines.h"
#include "platform/qt_text.h"

namespace {

// The window's controls as line processing and supervision see them.
class Form1ScaleScreen final : public ScaleScreen {
 public:
  explicit Form1ScaleScreen(TForm1& form)
      : form_(form), frame_(form.PreviewFrame()) {}

  std::string DisplayCaption() const override { return FromQString(form_.Ldisplay()->text()); }
  void SetDisplayCaption(const std::string& text) override {
    frame_.SetDisplayCaption(ToQString(text));
  }

  int PreviewLineCount() const override { return frame_.LineCount(); }
  std::string PreviewLine(int index) const override { return frame_.Line(index); }
  void DeleteFirstPreviewLines(int count) override {
    for (int i = 0; i < count; ++i) frame_.DeleteFirstLine();
  }
  void ClearPreview() override { frame_.Clear(); }
  void AddPreviewLine(const std::string& line) override { frame_.AddLine(line); }
  std::int32_t MaxPreviewLines() const override { return form_.MaxPreviewLines(); }

  bool CBciaglymemo() const override { return form_.CBciaglymemo()->isChecked(); }
  bool CBzapis() const override { return form_.CBzapis()->isChecked(); }
  // Programmatic: the settings commands react to the user's clicks only.
  void SetCBzapis(bool checked) override { form_.CBzapis()->setChecked(checked); }
  bool CBciaglyplik() const override { return form_.CBciaglyplik()->isChecked(); }
  bool CBdata_bilansu() const override { return form_.CBdata_bilansu()->isChecked(); }
  bool RBautoucinaj() const override { return form_.RBautoucinaj()->isChecked(); }
  std::string Enazwapliku() const override { return FromQString(form_.Enazwapliku()->text()); }

  void SetStatusPanel1(const std::string& text) override { form_.SetStatusPanelText(1, text); }
  void SetStatusPanel1Hint(const std::string& utf8Text) override {
    form_.StatusPanel(1)->setToolTip(QString::fromStdString(utf8Text));
  }

  Dialogs& Messages() override { return form_.UserDialogs(); }

 private:
  TForm1& form_;
  ScreenFrame& frame_;
};

class ComPortScalePort final : public ScalePort {
 public:
  explicit ComPortScalePort(TComPort& port) : port_(port) {}

  void Open() override { port_.Open(); }
  void Close() override { port_.Close(); }
  bool Connected() const override { return port_.Connected(); }
  std::string Port() const override { return port_.Port(); }
  TBaudRate BaudRate() const override { return port_.BaudRate(); }
  LineSettings Line() const override { return LineSettingsOf(port_.MakeDeviceControlBlock()); }
  int ReadString(std::string& text, int count) override { return port_.ReadString(text, count); }

 private:
  TComPort& port_;
};

}  // namespace

ScreenFrame& TForm1::PreviewFrame() {
  if (previewFrame_ == nullptr) previewFrame_ = &ScreenFrame::Of(*mraport_, *ldisplay_);
  return *previewFrame_;
}

void TForm1::BindScalePort() {
  comPortDriver_in_.SetHandoff(&handoff_);
  comPortDriver_in_.OnRxChar = [this](TCustomComPort&, std::int32_t count) {
    ComPortDriver_inRxChar(count);
  };
  // The data file message waits until the serial delivery that met the
  // failure has returned: a supervision tick during the box may then close
  // the port without waiting on the box.
  acquisition_.MessagePending = [this] {
    QTimer::singleShot(0, this, [this] {
      Form1ScaleScreen screen(*this);
      ShowPendingMessages(screen, acquisition_);
    });
  };
}

void TForm1::ConnectScalePort() {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  ::ConnectScalePort(port, screen, acquisition_);
}

void TForm1::ComPortDriver_inRxChar(std::int32_t count) {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  ::ComPortDriver_inRxChar(count, port, screen, acquisition_);
}

void TForm1::Timer1Timer() {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  ::Timer1Timer(port, screen, acquisition_);
}
