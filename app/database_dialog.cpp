#include "app/database_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "database/baza_ini.h"
#include "database/connection_check.h"
#include "platform/window_frames.h"
#include "text/win1250.h"
#include "view/dialogs.h"

namespace {

QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

std::string Cp1250(const QLineEdit* field) { return Utf8ToCp1250(field->text().trimmed().toStdString()); }

}  // namespace

DatabaseDialog::DatabaseDialog(Dialogs& dialogs, std::string settingsPath, QWidget* parent)
    : QDialog(parent, kDialogFrame), dialogs_(dialogs), path_(std::move(settingsPath)) {
  setObjectName(QStringLiteral("FormBaza"));
  setWindowTitle(U("Baza danych"));
  connection_ = new QLineEdit(this);
  connection_->setObjectName(QStringLiteral("Epolaczenie"));
  connection_->setMinimumWidth(380);
  connection_->setPlaceholderText(U("host=serwer dbname=waga user=waga"));
  station_ = new QLineEdit(this);
  station_->setObjectName(QStringLiteral("Estanowisko"));
  station_->setPlaceholderText(U(HostName()));
  outcome_ = new QLabel(this);
  outcome_->setObjectName(QStringLiteral("Lwynik"));
  outcome_->setWordWrap(true);
  outcome_->setMinimumHeight(64);
  outcome_->setText(U("Hasło nie trafia do baza.ini: libpq bierze je z pliku ~/.pgpass (albo PGPASSFILE)."));

  auto* form = new QFormLayout;
  form->addRow(U("Połączenie:"), connection_);
  form->addRow(U("Stanowisko:"), station_);

  auto* buttons = new QDialogButtonBox(this);
  check_ = buttons->addButton(U("Sprawdź połączenie"), QDialogButtonBox::ActionRole);
  save_ = buttons->addButton(U("Zapisz"), QDialogButtonBox::AcceptRole);
  buttons->addButton(U("Anuluj"), QDialogButtonBox::RejectRole);
  save_->setDefault(true);
  connect(check_, &QPushButton::clicked, this, &DatabaseDialog::CheckClick);
  connect(save_, &QPushButton::clicked, this, &DatabaseDialog::SaveClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(outcome_);
  layout->addWidget(buttons);
  Load();
}

DatabaseDialog::~DatabaseDialog() {
  if (checker_.joinable()) checker_.join();
}

void DatabaseDialog::Load() {
  const auto settings = LoadDatabaseSettings(path_).value_or(DatabaseSettings{});
  connection_->setText(U(Cp1250ToUtf8(settings.connection)));
  station_->setText(U(Cp1250ToUtf8(settings.station)));
}

void DatabaseDialog::CheckClick() {
  if (checker_.joinable()) {
    if (!check_->isEnabled()) return;
    checker_.join();
  }
  const DatabaseSettings settings{Cp1250(connection_), Cp1250(station_)};
  const ShippingTarget target{Cp1250ToUtf8(settings.connection), StationName(settings)};
  check_->setEnabled(false);
  outcome_->setText(U("Sprawdzam..."));
  checker_ = std::thread([this, target] {
    const ConnectionCheck check = CheckConnection(target);
    QMetaObject::invokeMethod(this, [this, check] {
      outcome_->setText(U(check.text));
      check_->setEnabled(true);
    }, Qt::QueuedConnection);
  });
}

void DatabaseDialog::SaveClick() {
  const DatabaseSettings settings{Cp1250(connection_), Cp1250(station_)};
  std::string reason;
  if (ConnectionHoldsPassword(settings.connection, reason)) {
    const std::string text = reason.empty()
                                 ? "Hasła nie zapisuję w baza.ini. Wpisz je do pliku haseł libpq (~/.pgpass "
                                   "albo plik wskazany przez PGPASSFILE) i usuń password= z opisu połączenia."
                                 : "Opis połączenia jest niepoprawny: " + reason;
    dialogs_.ShowMessage(MessageKind::Error, Utf8ToCp1250(text));
    return;
  }
  if (!SaveDatabaseSettings(settings, reason, path_)) {
    dialogs_.ShowMessage(MessageKind::Error, Utf8ToCp1250(reason));
    return;
  }
  accept();
}
