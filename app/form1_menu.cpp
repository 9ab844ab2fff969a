// The main menu and the settings pages, kept in step: a page chosen from the
// menu marks its item; a page chosen by its tab marks its item too.

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTabWidget>

#include "app/about_box.h"
#include "app/export_dialog.h"
#include "app/form1.h"

namespace {
QString U(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* mmWidok = bar->addMenu(U("&Ustawienia"));
  mmWidok->setObjectName(QStringLiteral("MMwidok"));

  pageItems_ = new QActionGroup(this);
  pageItems_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  const auto pageItem = [&](const char* name, const char* caption, void (TForm1::*handler)()) {
    QAction* item = mmWidok->addAction(U(caption));
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    pageItems_->addAction(item);
    connect(item, &QAction::triggered, this, handler);
    return item;
  };
  mWaga_ = pageItem("Mwaga", "&Waga", &TForm1::MwagaClick);
  mPlik_ = pageItem("Mplik", "Ustawienia &zapisu do pliku", &TForm1::MplikClick);
  mPodglad_ = pageItem("Mpodglad", "Ustawienia &podglądu", &TForm1::MpodgladClick);
  mBilans_ = pageItem("MBilans", "&Bilans", &TForm1::MBilansClick);
  mWaga_->setChecked(true);
  mmWidok->addSeparator()->setObjectName(QStringLiteral("N2"));

  const auto command = [&](QMenu* menu, const char* name, const char* caption,
                           void (TForm1::*handler)()) {
    QAction* item = menu->addAction(U(caption));
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, handler);
    return item;
  };
  mmUstawRs_ = command(mmWidok, "MMustaw_rs", "Parametry transmisji...", &TForm1::MMustaw_rsClick);
  mNazwafirmy_ = command(mmWidok, "Mnazwafirmy", "&Nazwa firmy...", &TForm1::MnazwafirmyClick);
  mAdresfirmy_ = command(mmWidok, "Madresfirmy", "&Adres firmy...", &TForm1::MadresfirmyClick);

  // The scale's commands; greyed where the port's protocol has none.
  QMenu* mmWaga = bar->addMenu(U("&Waga"));
  mmWaga->setObjectName(QStringLiteral("MMwaga"));
  mmZapytanie_ = command(mmWaga, "MMzapytanie", "&Odczyt teraz", &TForm1::MMzapytanieClick);
  mmTara_ = command(mmWaga, "MMtara", "&Tara", &TForm1::MMtaraClick);
  mmZerowanie_ = command(mmWaga, "MMzerowanie", "&Zerowanie", &TForm1::MMzerowanieClick);
  mmZapytanie_->setShortcut(QKeySequence(Qt::Key_F5));
  mmTara_->setShortcut(QKeySequence(Qt::Key_F6));
  mmZerowanie_->setShortcut(QKeySequence(Qt::Key_F7));

  QMenu* mmPom = bar->addMenu(U("&Inne"));
  mmPom->setObjectName(QStringLiteral("MMpom"));
  mmAbout_ = command(mmPom, "MMabout", "&O programie...", &TForm1::MMaboutClick);
  mmEksport_ = command(mmPom, "MMeksport", "Eksport do arkusza...", &TForm1::MMeksportClick);
  mmBaza_ = command(mmPom, "MMbaza", "Baza danych...", &TForm1::MMbazaClick);
  mmPom->addSeparator()->setObjectName(QStringLiteral("N1"));
  koniec1_ = command(mmPom, "Koniec1", "&Wyjście z programu", &TForm1::Koniec1Click);
}

// The page is set without running PCustawieniaChange; the caller marks the item.
void TForm1::ShowPage(int index) {
  const QSignalBlocker blocker(pcUstawienia_);
  pcUstawienia_->setCurrentIndex(index);
}

void TForm1::MarkPageItem(int index) {
  QAction* items[] = {mWaga_, mPlik_, mPodglad_, mBilans_};
  if (index >= 0 && index < 4) items[index]->setChecked(true);
}

void TForm1::MwagaClick() {
  ShowPage(0);
  MarkPageItem(0);
}

void TForm1::MplikClick() {
  ShowPage(1);
  MarkPageItem(1);
}

void TForm1::MpodgladClick() {
  ShowPage(2);
  MarkPageItem(2);
}

void TForm1::MBilansClick() {
  ShowPage(3);
  MarkPageItem(3);
}

void TForm1::PCustawieniaChange() { MarkPageItem(pcUstawienia_->currentIndex()); }

void TForm1::MMaboutClick() {
  if (aboutBox_ == nullptr) return;
  aboutBox_->show();
  aboutBox_->raise();
  aboutBox_->activateWindow();
}

// Not modal: the window goes on serving the scale while an export runs.
void TForm1::MMeksportClick() {
  if (exportDialog_ == nullptr) {
    exportDialog_ = new ExportDialog(*dialogs_, QFile::encodeName(QDir::currentPath()).toStdString(), this);
  }
  exportDialog_->show();
  exportDialog_->raise();
  exportDialog_->activateWindow();
}

void TForm1::Koniec1Click() { close(); }
