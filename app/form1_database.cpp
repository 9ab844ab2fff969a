// The main window's side of the shipping to a database.

#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "app/database_shipping.h"
#include "app/form1.h"
#include "platform/qt_text.h"

void TForm1::StartDatabaseShipping() {
  // A second copy ends at once: the first one ships.
  if (terminateRequested_) return;
  DatabaseShipping::Sources sources;
  sources.currentFile = [this] { return FromQString(eNazwapliku_->text()); };
  // The readings as the open port's protocol reads them.
  sources.protocol = [this] { return acquisition_.Protocol.protocol; };
  database_ = std::make_unique<DatabaseShipping>(statusPanel3_, this, *dialogs_,
                                                 QFile::encodeName(QDir::currentPath()).toStdString(),
                                                 std::move(sources));
  database_->Start();
}

void TForm1::MMbazaClick() {
  if (database_) database_->OpenDialog();
}
