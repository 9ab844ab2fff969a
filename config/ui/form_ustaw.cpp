#include "config/ui/form_ustaw.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "config/settings/transmission.h"
#include "config/ui/radio_group.h"
#include "platform/qt_text.h"
#include "platform/window_frames.h"
#include "ports/detection_run.h"
#include "text/win1250.h"
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

  BuildProtocolGroup();

  bOk_ = new QPushButton(QStringLiteral("Zamknij"), this);
  bOk_->setObjectName(QStringLiteral("BOk"));
  bOk_->setGeometry(152, 304, 105, 33);
  bOk_->setDefault(true);
  connect(bOk_, &QPushButton::clicked, this, &TFormUstaw::BOkClick);

  bWykryj_ = new QPushButton(QStringLiteral("Wykryj"), this);
  bWykryj_->setObjectName(QStringLiteral("BWykryj"));
  bWykryj_->setGeometry(16, 304, 105, 33);
  connect(bWykryj_, &QPushButton::clicked, this, &TFormUstaw::BWykryjClick);
  bAnuluj_ = new QPushButton(QStringLiteral("Anuluj"), this);
  bAnuluj_->setObjectName(QStringLiteral("BAnuluj"));
  bAnuluj_->setGeometry(288, 304, 105, 33);
  connect(bAnuluj_, &QPushButton::clicked, this, &QDialog::reject);
  lWykryj_ = new QLabel(this);
  lWykryj_->setObjectName(QStringLiteral("LWykryj"));
  lWykryj_->setGeometry(16, 362, 377, 56);
  lWykryj_->setWordWrap(true);
  lWykryj_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TFormUstaw::BuildProtocolGroup() {
  gbProtokol_ = new QGroupBox(QString::fromUtf8("Protokół wagi"), this);
  gbProtokol_->setObjectName(QStringLiteral("GBprotokol"));
  gbProtokol_->setGeometry(16, 192, 377, 105);
  const auto caption = [this](const char* utf8, int y) {
    auto* label = new QLabel(QString::fromUtf8(utf8), gbProtokol_);
    label->setGeometry(10, y, 80, 23);
    return label;
  };
  caption("Protokół", 20);
  cbProtokol_ = new QComboBox(gbProtokol_);
  cbProtokol_->setObjectName(QStringLiteral("CBprotokol"));
  cbProtokol_->setGeometry(90, 20, 277, 23);
  for (ProtocolId id : kProtocolIds) cbProtokol_->addItem(QString::fromStdString(ProtocolItemText(id)));
  caption("Zapytanie", 47)->setToolTip(QString::fromUtf8("Znaki wysyłane do wagi; \\r, \\n, \\t, \\\\, \\xHH"));
  eZapytanie_ = new QLineEdit(gbProtokol_);
  eZapytanie_->setObjectName(QStringLiteral("Ezapytanie"));
  eZapytanie_->setGeometry(90, 47, 277, 23);
  caption("Co ile ms", 74);
  eCoIleMs_ = new QLineEdit(gbProtokol_);
  eCoIleMs_->setObjectName(QStringLiteral("Eco_ile_ms"));
  eCoIleMs_->setGeometry(90, 74, 80, 23);
  auto* hint = new QLabel(QString::fromUtf8("0: bez zapytań"), gbProtokol_);
  hint->setGeometry(180, 74, 187, 23);

  lBlad_ = new QLabel(this);
  lBlad_->setObjectName(QStringLiteral("Lblad"));
  lBlad_->setGeometry(16, 340, 377, 22);
  lBlad_->setWordWrap(true);
  QPalette palette = lBlad_->palette();
  palette.setColor(QPalette::WindowText, Qt::darkRed);
  lBlad_->setPalette(palette);

  connect(cbProtokol_, &QComboBox::currentIndexChanged, this, &TFormUstaw::ProtocolChanged);
  for (int i = 0; i < rgNumPortu_->Count(); ++i) {
    connect(rgNumPortu_->Item(i), &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && isVisible()) ShowPortProtocol(i);
    });
  }
}

void TFormUstaw::ShowPortProtocol(int portItem) {
  shown_ = portItem >= 0 ? LoadPortProtocol(protocolFile_, "COM" + std::to_string(portItem + 1))
                         : PortProtocolSettings{};
  const ProtocolChoice choice = ProtocolChoiceOf(shown_);
  shownProtocolItem_ = choice.protocolItem;
  {
    const QSignalBlocker quiet(cbProtokol_);
    cbProtokol_->setCurrentIndex(choice.protocolItem);
  }
  eZapytanie_->setText(ToQString(choice.requestText));
  eCoIleMs_->setText(ToQString(choice.intervalText));
  lBlad_->clear();
}

// A request left as the old protocol's own (or none) becomes the new one's.
void TFormUstaw::ProtocolChanged(int item) {
  if (item < 0 || item >= static_cast<int>(kProtocolIds.size())) return;
  const std::string before =
      EncodeRequestText(CommandsOf(kProtocolIds[static_cast<std::size_t>(shownProtocolItem_)]).request);
  const std::string typed = FromQString(eZapytanie_->text());
  if (typed.empty() || typed == before)
    eZapytanie_->setText(ToQString(EncodeRequestText(CommandsOf(kProtocolIds[static_cast<std::size_t>(item)]).request)));
  shownProtocolItem_ = item;
}

void TFormUstaw::BOkClick() {
  const ProtocolChoice choice{cbProtokol_->currentIndex(), FromQString(eZapytanie_->text()),
                              FromQString(eCoIleMs_->text())};
  std::string reason;
  const std::optional<PortProtocolSettings> settings = ReadProtocolChoice(choice, shown_, reason);
  if (!settings) {
    lBlad_->setText(QString::fromStdString(reason));
    return;
  }
  chosen_ = *settings;
  lBlad_->clear();
  accept();
}

void TFormUstaw::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  bOk_->setFocus(Qt::OtherFocusReason);
}

void TFormUstaw::FormShow() {
  detected_.reset();
  detectedPort_.clear();
  lWykryj_->clear();
  if (port_ == nullptr) return;
  rgNumPortu_->SetItemIndex(PortItemIndex(port_->Port()));
  rgSzybkosc_->SetItemIndex(SpeedItemIndex(port_->BaudRate()));
  ShowPortProtocol(rgNumPortu_->ItemIndex());
}
