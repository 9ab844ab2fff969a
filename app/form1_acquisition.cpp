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
#include "app/reading_label.h"
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
  void SetDisplayUnit(const std::string& unit) override { form_.ShowReadingUnit(unit); }
  void SetDisplayInMotion(bool motion) override {
    if (auto* label = dynamic_cast<ReadingLabel*>(form_.Ldisplay())) label->SetInMotion(motion);
  }
  void SetDisplayShowsWord(bool word) override {
    if (auto* label = dynamic_cast<ReadingLabel*>(form_.Ldisplay())) label->SetShrinkToFit(word);
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
  void SetStatusPanel2(const std::string& text) override { form_.SetStatusPanelText(2, text); }

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
  void WriteString(const std::string& bytes) override { port_.WriteString(bytes); }

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
  // A line answers the request under way. This runs inside the delivery:
  // the cycle only takes note, and its timer sends the next.
  acquisition_.LineClassified = [this](const ClassifiedLine& line) {
    Form1ScaleScreen screen(*this);
    requestCycle_.LineArrived(line, screen);
  };
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
  UpdateScaleCommands();
}

void TForm1::LendPortToSearch() {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  ::LendPortToSearch(port, screen, acquisition_);
  UpdateScaleCommands();
}

void TForm1::TakePortBackFromSearch() {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  ::TakePortBackFromSearch(port, screen, acquisition_);
  UpdateScaleCommands();
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
  UpdateScaleCommands();
}

void TForm1::TimerZapytanTimer() {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  requestCycle_.Tick(acquisition_.Protocol, port, screen);
  UpdateScaleCommands();
}

void TForm1::UpdateScaleCommands() {
  const PortProtocolSettings& settings = acquisition_.Protocol;
  const bool open = comPortDriver_in_.Connected();
  mmZapytanie_->setEnabled(open && !RequestCycle::CommandBytes(settings, ScaleCommand::Request).empty());
  mmTara_->setEnabled(open && !RequestCycle::CommandBytes(settings, ScaleCommand::Tare).empty());
  mmZerowanie_->setEnabled(open && !RequestCycle::CommandBytes(settings, ScaleCommand::Zero).empty());
  const bool active = requestCycle_.Active(settings);
  if (active && !timerZapytan_->isActive()) timerZapytan_->start();
  if (!active && timerZapytan_->isActive()) timerZapytan_->stop();
}

void TForm1::ScaleCommandClick(ScaleCommand command) {
  Form1ScaleScreen screen(*this);
  ComPortScalePort port(comPortDriver_in_);
  requestCycle_.Command(command, acquisition_.Protocol, port, screen);
  UpdateScaleCommands();
}

void TForm1::MMzapytanieClick() { ScaleCommandClick(ScaleCommand::Request); }
void TForm1::MMtaraClick() { ScaleCommandClick(ScaleCommand::Tare); }
void TForm1::MMzerowanieClick() { ScaleCommandClick(ScaleCommand::Zero); }

void TForm1::ProcessOwnLines(const std::vector<std::string>& lines) {
  Form1ScaleScreen screen(*this);
  processingOwnLines_ = true;
  for (const std::string& line : lines) ProcessScaleLine(line, screen, acquisition_);
  processingOwnLines_ = false;
}

void TForm1::RestoreOwnPreviewLines(const std::vector<std::string>& lines) {
  Form1ScaleScreen screen(*this);
  RestorePreviewLines(lines, screen);
}
