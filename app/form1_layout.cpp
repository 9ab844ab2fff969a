// The controls of the main window at their designed places (pixels of the
// client area below the menu), with their fonts and colours.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "app/bevel_panel.h"
#include "app/form1.h"
#include "app/glyph_button.h"
#include "app/look.h"
#include "app/maker.h"
#include "app/pictures.h"
#include "app/reading_label.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

template <typename Control>
Control* Place(Control* control, int left, int top, int width, int height) {
  control->setGeometry(left, top, width, height);
  return control;
}

template <typename Label = QLabel>
QLabel* DisplayLabel(QWidget* parent, const QFont& font) {
  auto* label = new Label(parent);
  label->setFont(font);
  label->setAlignment(Qt::AlignRight | Qt::AlignTop);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, DisplayBackground());
  palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
  return label;
}

QPushButton* PrintButton(const char* caption, QWidget* parent) {
  return new GlyphButton(U(caption), PrinterGlyph(QSize(12, 12)), parent);
}

}  // namespace

void TForm1::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  BuildDisplay(client);
  BuildPages(client);
  BuildPreview(client);
  BuildStatusBar();

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(kTimerInterval);
  connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);

  timerZapytan_ = new QTimer(this);
  timerZapytan_->setObjectName(QStringLiteral("TimerZapytan"));
  timerZapytan_->setInterval(RequestCycle::kTickMs);
  timerZapytan_->setTimerType(Qt::PreciseTimer);
  connect(timerZapytan_, &QTimer::timeout, this, &TForm1::TimerZapytanTimer);
}

void TForm1::BuildDisplay(QWidget* client) {
  pryswagi_ = Place(new BevelPanel(BevelPanel::Bevel::Raised, BevelPanel::Bevel::None, client), 48, 8,
                    161, 129);
  pryswagi_->setObjectName(QStringLiteral("Pryswagi"));
  image1_ = Place(new QLabel(pryswagi_), 2, 2, 157, 125);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setPixmap(ScalePicture(image1_->size()));

  ldisplay_ = Place(DisplayLabel<ReadingLabel>(client, ArialFont(96)), 216, 8, 345, 97);
  ldisplay_->setObjectName(QStringLiteral("Ldisplay"));
  // Fixed: a new caption, one per reading, then asks the window for no new
  // layout of its controls.
  ldisplay_->setFixedSize(ldisplay_->size());
  ldisplay_->setText(QStringLiteral("-9999.99"));

  ljednost_ = Place(DisplayLabel(client, ArialFont(28, true)), 216, 104, 345, 33);
  ljednost_->setObjectName(QStringLiteral("Ljednost"));
  ljednost_->setText(QStringLiteral("kg"));
}

void TForm1::BuildPages(QWidget* client) {
  pcUstawienia_ = Place(new QTabWidget(client), 568, 0, 217, 137);
  pcUstawienia_->setObjectName(QStringLiteral("PCustawienia"));
  pcUstawienia_->tabBar()->setAttribute(Qt::WA_Hover);  // tabs highlighted under the mouse
  pcUstawienia_->setUsesScrollButtons(false);
  pcUstawienia_->tabBar()->setExpanding(false);

  const auto page = [this](const char* name, const char* caption) {
    auto* widget = new QWidget;
    widget->setObjectName(QString::fromLatin1(name));
    pcUstawienia_->addTab(widget, U(caption));
    return widget;
  };
  BuildPageWaga(page("TSqel", "Waga"));
  BuildPagePlik(page("TSplik", "Plik"));
  BuildPagePodglad(page("TSraport", "Podgląd"));
  BuildPageBilans(page("TSbilans", "Bilans"));
  connect(pcUstawienia_, &QTabWidget::currentChanged, this, &TForm1::PCustawieniaChange);
}

void TForm1::BuildPageWaga(QWidget* page) {
  iqel_ = Place(new QLabel(page), 32, 0, 153, 57);
  iqel_->setObjectName(QStringLiteral("Iqel"));
  iqel_->setPixmap(MakerLogo(iqel_->size()));
  int top = 57;
  for (const char* text : {maker::kNameAndTown, maker::kPhoneFax, maker::kSecondPhone}) {
    auto* label = Place(new QLabel(U(text), page), 0, top, 209, 12);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    top += 12;
  }
  // Weighings recorded at the computer, under the maker's lines.
  bZapiszwazenie_ = Place(new GlyphButton(U("Zapisz ważenie"), QPixmap(), page), 0, 94, 103, 18);
  bZapiszwazenie_->setObjectName(QStringLiteral("Bzapiszwazenie"));
  bZapiszwazenie_->setToolTip(U("Zapisuje odczyt jako kolejne ważenie bilansu (F2)."));
  bZakonczbilans_ = Place(new GlyphButton(U("Zakończ bilans"), QPixmap(), page), 106, 94, 103, 18);
  bZakonczbilans_->setObjectName(QStringLiteral("Bzakonczbilans"));
  bZakonczbilans_->setToolTip(U("Kończy bilans; następne ważenie zacznie nowy od numeru 001."));
}

void TForm1::BuildPagePlik(QWidget* page) {
  gbUstawplik_ = Place(new QGroupBox(U("Ustawienia zapisu"), page), 0, 4, 209, 105);
  gbUstawplik_->setObjectName(QStringLiteral("GBustawplik"));
  cbZapis_ = Place(new QCheckBox(U("Zapis do pliku"), gbUstawplik_), 8, 16, 97, 17);
  cbZapis_->setObjectName(QStringLiteral("CBzapis"));
  cbZapis_->setChecked(true);
  bZmienplik_ = Place(new GlyphButton(U("Zmień nazwę..."), QPixmap(), gbUstawplik_), 120, 16, 83, 17);
  bZmienplik_->setObjectName(QStringLiteral("Bzmienplik"));
  eNazwapliku_ = Place(new QLineEdit(gbUstawplik_), 8, 40, 193, 21);
  eNazwapliku_->setObjectName(QStringLiteral("Enazwapliku"));
  eNazwapliku_->setReadOnly(true);
  eNazwapliku_->setToolTip(
      U("Nazwa pliku do którego zapisywane są dane z wagi. Aby ją zmienić wybierz \"Zmień nazwę...\"."));
  cbCiaglyplik_ = Place(new QCheckBox(U("Zapisuj display"), gbUstawplik_), 8, 64, 97, 17);
  cbCiaglyplik_->setObjectName(QStringLiteral("CBciaglyplik"));

  cbZapis_->installEventFilter(this);
  connect(bZmienplik_, &QPushButton::clicked, this, &TForm1::BzmienplikClick);
}

void TForm1::BuildPagePodglad(QWidget* page) {
  gbUstawmemo_ = Place(new QGroupBox(U("Ustawienia podglądu"), page), 0, 4, 209, 105);
  gbUstawmemo_->setObjectName(QStringLiteral("GBustawmemo"));
  auto* first = new QLabel(U("Po zapisaniu"), gbUstawmemo_);
  first->setObjectName(QStringLiteral("Lmaxlinie1"));
  first->move(8, 22);
  first->adjustSize();
  eMaxlinie_ = Place(new QLineEdit(gbUstawmemo_), 78, 18, 49, 21);
  eMaxlinie_->setObjectName(QStringLiteral("Emaxlinie"));
  auto* second = new QLabel(U("linii:"), gbUstawmemo_);
  second->setObjectName(QStringLiteral("Lmaxlinie2"));
  second->move(136, 22);
  second->adjustSize();
  rbAutoucinaj_ = Place(new QRadioButton(U("kasuj początek"), gbUstawmemo_), 32, 40, 97, 17);
  rbAutoucinaj_->setObjectName(QStringLiteral("RBautoucinaj"));
  rbAutoucinaj_->setChecked(true);
  rbAutowyczysc_ = Place(new QRadioButton(U("wyczyść całość"), gbUstawmemo_), 32, 56, 97, 17);
  rbAutowyczysc_->setObjectName(QStringLiteral("RBautowyczysc"));
  cbCiaglymemo_ = Place(new QCheckBox(U("Wyświetlaj display"), gbUstawmemo_), 8, 80, 113, 17);
  cbCiaglymemo_->setObjectName(QStringLiteral("CBciaglymemo"));
  bWyczysc_ = Place(new GlyphButton(U("Wyczyść"), QPixmap(), gbUstawmemo_), 144, 80, 59, 17);
  bWyczysc_->setObjectName(QStringLiteral("Bwyczysc"));

  QWidget::setTabOrder(bWyczysc_, rbAutowyczysc_);
  QWidget::setTabOrder(rbAutowyczysc_, rbAutoucinaj_);
  QWidget::setTabOrder(rbAutoucinaj_, eMaxlinie_);
  QWidget::setTabOrder(eMaxlinie_, cbCiaglymemo_);

  eMaxlinie_->installEventFilter(this);
  connect(bWyczysc_, &QPushButton::clicked, this, &TForm1::BwyczyscClick);
}

void TForm1::BuildPageBilans(QWidget* page) {
  gbBilans_ = Place(new QGroupBox(U("Ustawienia bilansu"), page), 0, 4, 209, 105);
  gbBilans_->setObjectName(QStringLiteral("GBbilans"));
  cbDrukNazwafirmy_ =
      Place(new QCheckBox(U("Drukuj nagłówek z nazwą firmy"), gbBilans_), 8, 16, 193, 17);
  cbDrukNazwafirmy_->setObjectName(QStringLiteral("CBdruk_nazwafirmy"));
  cbDrukNazwafirmy_->setChecked(true);
  cbDataBilansu_ = Place(new QCheckBox(U("Data bilansu"), gbBilans_), 8, 32, 84, 17);
  cbDataBilansu_->setObjectName(QStringLiteral("CBdata_bilansu"));
  cbDataBilansu_->setChecked(true);
  // Automatic recording of weighings from a threshold in the scale's unit.
  cbAutomatycznie_ = Place(new QCheckBox(U("Auto od"), gbBilans_), 94, 32, 62, 17);
  cbAutomatycznie_->setObjectName(QStringLiteral("CBautomatycznie"));
  cbAutomatycznie_->setToolTip(
      U("Zapisuje ważenie samo, gdy stabilny odczyt przekroczy próg po powrocie poniżej niego."));
  eAutomatycznie_ = Place(new QLineEdit(gbBilans_), 156, 31, 30, 19);
  eAutomatycznie_->setObjectName(QStringLiteral("Eautomatycznie"));
  eAutomatycznie_->setToolTip(U("Próg automatycznego zapisu, w jednostce wagi."));
  lAutomatycznieJednost_ = Place(new QLabel(gbBilans_), 188, 32, 19, 17);
  lAutomatycznieJednost_->setObjectName(QStringLiteral("Lautomatycznie"));
  bbDrukuj_ = Place(PrintButton("Drukuj", gbBilans_), 48, 50, 57, 23);
  bbDrukuj_->setObjectName(QStringLiteral("BBdrukuj"));
  bbDrukujBilans_ = Place(PrintButton("Drukuj bilans", gbBilans_), 112, 50, 81, 23);
  bbDrukujBilans_->setObjectName(QStringLiteral("BBdrukuj_bilans"));
  bbDrukujSzczbilans_ = Place(PrintButton("Drukuj szczegółowy bilans", gbBilans_), 48, 75, 145, 23);
  bbDrukujSzczbilans_->setObjectName(QStringLiteral("BBdrukuj_szczbilans"));

  connect(bbDrukuj_, &QPushButton::clicked, this, &TForm1::BBdrukujClick);
  connect(bbDrukujBilans_, &QPushButton::clicked, this, &TForm1::BBdrukuj_bilansClick);
  connect(bbDrukujSzczbilans_, &QPushButton::clicked, this, &TForm1::BBdrukuj_szczbilansClick);
}

void TForm1::BuildPreview(QWidget* client) {
  mraport_ = Place(new QPlainTextEdit(client), 48, 144, 689, 361);
  mraport_->setObjectName(QStringLiteral("Mraport"));
  // An undo history would keep every line ever shown: memory would grow
  // with each line of a scale that runs for days.
  mraport_->setUndoRedoEnabled(false);
  mraport_->setFont(CourierFont(13));
  mraport_->setLineWrapMode(QPlainTextEdit::NoWrap);
  mraport_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mraport_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TForm1::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(22);
  statusPanel0_ = new QLabel(U("Połączenie z wagą:"), bar);
  statusPanel0_->setFixedWidth(105);
  statusPanel1_ = new QLabel(bar);
  statusPanel1_->setFixedWidth(300);
  bar->addWidget(statusPanel0_);
  bar->addWidget(statusPanel1_);
  statusPanel2_ = new QLabel(bar);
  statusPanel2_->setObjectName(QStringLiteral("StatusPanel2"));
  bar->addWidget(statusPanel2_, 1);
  // The shipping to the database, at the right; hidden without baza.ini.
  statusPanel3_ = new QLabel(bar);
  statusPanel3_->setObjectName(QStringLiteral("StatusPanel3"));
  statusPanel3_->setFixedWidth(170);
  bar->addWidget(statusPanel3_);
}
