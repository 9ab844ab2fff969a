// The settings commands of the main window: pages "Plik" and "Podgląd", the
// transmission parameters and the company name and address. The decisions
// are made in config/settings; here the window lends them its controls.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/form1.h"
#include "app/memo_preview.h"
#include "app/preview_lines.h"
#include "config/settings/company.h"
#include "config/settings/data_file_settings.h"
#include "config/settings/preview_settings.h"
#include "config/settings/transmission.h"
#include "config/ui/form_ustaw.h"
#include "config/ui/radio_group.h"
#include "app/ui_text.h"
#include "platform/qt_text.h"
#include "ports/detection_port.h"
#include "protocols/protocol_settings.h"
#include "text/win1250.h"

namespace {

class PlikPage : public DataFilePage {
 public:
  explicit PlikPage(TForm1& form) : form_(form) {}
  bool CBzapis() const override { return form_.CBzapis()->isChecked(); }
  void SetCBzapis(bool checked) override { form_.CBzapis()->setChecked(checked); }
  std::string Enazwapliku() const override { return FromQString(form_.Enazwapliku()->text()); }
  void SetEnazwapliku(const std::string& name) override {
    form_.Enazwapliku()->setText(ToQString(name));
  }

 private:
  TForm1& form_;
};

class PodgladPage : public MemoPreview<PreviewPage> {
 public:
  explicit PodgladPage(TForm1& form) : MemoPreview(*form.Mraport()), form_(form) {}
  std::string Emaxlinie() const override { return FromQString(form_.Emaxlinie()->text()); }

  void SetMaxPreviewLines(std::int32_t lines) override { form_.MaxPreviewLines() = lines; }

 private:
  TForm1& form_;
};

// Holds back the mouse press that took the focus from a refused entry, and
// its release, so that the control pressed does not act as well: its page is
// left on the refused value, not worked with.
class PressHoldBack : public QObject {
 public:
  static void UntilNextLoop() {
    auto* holdBack = new PressHoldBack;
    qApp->installEventFilter(holdBack);
    QTimer::singleShot(0, holdBack, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
  }
};

}  // namespace

// Every left press is settled by the handler, so the box never toggles by
// itself after it: no box shown in between can let a click slip through.
bool TForm1::CBzapisMouseDown(Qt::MouseButton button) {
  if (button != Qt::LeftButton) return false;
  PlikPage page(*this);
  CBzapisToggle(page, *dialogs_);
  return true;
}

void TForm1::BzmienplikClick() {
  PlikPage page(*this);
  BzmienplikChoose(page, *dialogs_);
}

// Enter moves on as Tab does, which leaves the field and so validates it.
void TForm1::EmaxlinieKeyPress(char& key) {
  if (key != '\r') return;
  key = 0;
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(eMaxlinie_, &tab);
}

void TForm1::EmaxlinieExit() {
  if (formClosed_) return;
  PodgladPage page(*this);
  // Taken before the message: the box may be answered with the mouse.
  const bool leftByPress = QGuiApplication::mouseButtons() != Qt::NoButton;
  if (EmaxlinieAccept(page, *dialogs_)) return;
  if (leftByPress) PressHoldBack::UntilNextLoop();
  if (eMaxlinie_->isVisible()) {
    eMaxlinie_->setFocus(Qt::OtherFocusReason);
    return;
  }
  // Left by a change of page: the field cannot take the focus while its page
  // is hidden, so its page comes back once the change is over.
  QTimer::singleShot(0, this, [this] {
    MpodgladClick();
    eMaxlinie_->setFocus(Qt::OtherFocusReason);
  });
}

void TForm1::BwyczyscClick() {
  PodgladPage page(*this);
  BwyczyscConfirm(page, *dialogs_);
}

// Only "Zamknij" applies, and it always closes and reopens the port; a close
// with the caption button leaves the port as it was, open or closed.
// A search for the scale ("Wykryj") borrows the port: closed and left alone
// by the supervision while it runs, reopened as before after it; what it
// found is applied only with "Zamknij".
void TForm1::MMustaw_rsClick() {
  if (formUstaw_ == nullptr) formUstaw_ = new TFormUstaw(this);
  formUstaw_->SetComPort(&comPortDriver_in_);
  formUstaw_->SetDetectionHooks({[this] { LendPortToSearch(); }, [this] { TakePortBackFromSearch(); }});
  if (formUstaw_->exec() != QDialog::Accepted) return;
  ApplyTransmissionChoice(comPortDriver_in_, formUstaw_->RGNumPortu()->ItemIndex(),
                          formUstaw_->RGSzybkosc()->ItemIndex());
  // The protocol is in force at once, saved or not.
  acquisition_.Protocol = formUstaw_->ChosenProtocol();
  if (std::string reason; formUstaw_->ProtocolEdited() &&
      !SavePortProtocol(kProtocolFileName, comPortDriver_in_.Port(), acquisition_.Protocol, reason))
    dialogs_->ShowMessage(MessageKind::Error, Literal("Nie zapisano protokołu wagi: ") + Utf8ToCp1250(reason));
  const std::optional<DetectionResult>& detected = formUstaw_->Detected();
  if (detected && comPortDriver_in_.Port() == formUstaw_->DetectedPort()) {
    std::string reason;
    if (!ApplyDetectedFormat(comPortDriver_in_, detected->format, reason)) {
      dialogs_->ShowMessage(MessageKind::Error, Utf8ToCp1250(reason));
    }
    PortProtocolSettings settings = LoadPortProtocol(kProtocolFileName, comPortDriver_in_.Port());
    settings.protocol = detected->protocol;
    settings.request = CommandsOf(detected->protocol).request;
    if (!SavePortProtocol(kProtocolFileName, comPortDriver_in_.Port(), settings, reason)) {
      dialogs_->ShowMessage(MessageKind::Error, Utf8ToCp1250(reason));
    }
  }
  // The protocol of the port now chosen.
  acquisition_.Protocol = LoadPortProtocol(kProtocolFileName, comPortDriver_in_.Port());
  ConnectScalePort();
}

void TForm1::MnazwafirmyClick() { EditCompanyName(companyName_, *dialogs_); }

void TForm1::MadresfirmyClick() { EditCompanyAddress(companyAddress_, *dialogs_); }
