#include "app/database_shipping.h"

#include <QLabel>
#include <QTimer>
#include <filesystem>

#include "app/database_dialog.h"
#include "database/baza_ini.h"
#include "database/shipper.h"
#include "database/status_text.h"
#include "text/win1250.h"

namespace {

constexpr int kRefreshMs = 500;

}  // namespace

struct DatabaseShipping::Impl {
  Impl(QLabel* p, QWidget* w, Dialogs& d, std::string f, Sources s)
      : panel(p), window(w), dialogs(d), folder(std::move(f)), sources(std::move(s)) {}

  QLabel* panel;
  QWidget* window;
  Dialogs& dialogs;
  std::string folder;
  Sources sources;
  std::unique_ptr<Shipper> shipper;
  std::string station;
  QTimer* timer = nullptr;
  DatabaseDialog* dialog = nullptr;

  std::string SettingsPath() const { return (std::filesystem::path(folder) / kDatabaseFileName).string(); }

  void Refresh() {
    if (!shipper) return;
    shipper->SetCurrentFile(sources.currentFile());
    shipper->SetProtocol(sources.protocol());
    const ShipperStatus status = shipper->Status();
    panel->setText(QString::fromStdString(DatabasePanelText(status)));
    panel->setToolTip(QString::fromStdString(DatabaseTooltip(status, station)));
  }
};

DatabaseShipping::DatabaseShipping(QLabel* panel, QWidget* window, Dialogs& dialogs, std::string folder,
                                   Sources sources)
    : impl_(std::make_unique<Impl>(panel, window, dialogs, std::move(folder), std::move(sources))) {
  impl_->panel->hide();
  impl_->timer = new QTimer(panel);
  impl_->timer->setInterval(kRefreshMs);
  QObject::connect(impl_->timer, &QTimer::timeout, panel, [impl = impl_.get()] { impl->Refresh(); });
}

DatabaseShipping::~DatabaseShipping() { Stop(); }

bool DatabaseShipping::Running() const { return impl_->shipper != nullptr; }

void DatabaseShipping::Start() {
  Stop();
  const auto settings = LoadDatabaseSettings(impl_->SettingsPath());
  if (!settings) return;
  ShipperOptions options;
  impl_->station = StationName(*settings);
  options.target = {Cp1250ToUtf8(settings->connection), impl_->station};
  options.folder = impl_->folder;
  options.currentFile = impl_->sources.currentFile();
  options.protocol = impl_->sources.protocol();
  impl_->shipper = std::make_unique<Shipper>(std::move(options));
  impl_->panel->show();
  impl_->Refresh();
  impl_->timer->start();
}

void DatabaseShipping::Stop() {
  if (!impl_->shipper) return;
  impl_->timer->stop();
  impl_->shipper->Stop();
  impl_->shipper.reset();
  impl_->panel->clear();
  impl_->panel->setToolTip({});
  impl_->panel->hide();
}

void DatabaseShipping::OpenDialog() {
  if (impl_->dialog == nullptr) {
    impl_->dialog = new DatabaseDialog(impl_->dialogs, impl_->SettingsPath(), impl_->window);
    // New settings take effect at once: the shipping starts again with them.
    QObject::connect(impl_->dialog, &QDialog::accepted, impl_->panel, [this] { Start(); });
  }
  impl_->dialog->Load();
  impl_->dialog->show();
  impl_->dialog->raise();
  impl_->dialog->activateWindow();
}
