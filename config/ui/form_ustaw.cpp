#include "config/ui/form_ustaw.h"

#include <QPushButton>

#include "config/settings/transmission.h"
#include "config/ui/radio_group.h"
#include "platform/window_frames.h"
#include "serial/com_port.h"

TFormUstaw::TFormUstaw(QWidget* parent)
    : QDialog(parent, kDialogFrame) {
  setObjectName(QStringLiteral("FormUstaw"));
  setWindowTitle(QStringLiteral("Ustawienia..."));
  setAttribute(Qt::WA_WindowPropagation);  // the main window's font
  setFixedSize(kClientWidth, kClientHeight);

  QStringList ports;
  for (int i = 1; i <= kPortItems; ++i) ports << QStringLiteral("COM%1").arg(i);
  rgNumPortu_ = new TRadioGroup(QStringLiteral("Numer portu"), ports, 2, this);
  rgNumPortu_->setObjectName(QStringLiteral("RGNumPortu"));
  rgNumPortu_->setGeometry(16, 8, 185, 177);

  QStringList speeds;
  for (const BaudRateFacts& facts : kBaudRates) {
    if (IsOfferedRate(facts.rate)) speeds << QString::number(facts.bitsPerSecond);
  }
  rgSzybkosc_ = new TRadioGroup(QString::fromUtf8("Szybkość transmisji"), speeds, 2, this);
  rgSzybkosc_->setObjectName(QStringLiteral("RGSzybkosc"));
  rgSzybkosc_->setGeometry(216, 8, 177, 177);

  bOk_ = new QPushButton(QStringLiteral("Zamknij"), this);
  bOk_->setObjectName(QStringLiteral("BOk"));
  bOk_->setGeometry(152, 200, 105, 33);
  bOk_->setDefault(true);
  connect(bOk_, &QPushButton::clicked, this, &TFormUstaw::BOkClick);
}

void TFormUstaw::BOkClick() { accept(); }

void TFormUstaw::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  bOk_->setFocus(Qt::OtherFocusReason);
}

void TFormUstaw::FormShow() {
  if (port_ == nullptr) return;
  rgNumPortu_->SetItemIndex(PortItemIndex(port_->Port()));
  rgSzybkosc_->SetItemIndex(SpeedItemIndex(port_->BaudRate()));
}
