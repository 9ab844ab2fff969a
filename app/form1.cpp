// The main window: start-up (FormCreate) and close (FormClose).

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <filesystem>

#include "app/form1.h"
#include "acquisition/data_file.h"
#include "app/database_shipping.h"
#include "app/look.h"
#include "app/maker.h"
#include "app/ui_text.h"
#include "protocols/protocol_settings.h"
#include "platform/free_space.h"
#include "platform/qt_dialogs.h"
#include "platform/window_frames.h"

namespace {

constexpr std::int64_t kMinimumFreeBytes = 1000000;

}  // namespace

TForm1::TForm1(TForm1Environment environment, QWidget* parent)
    : QMainWindow(parent, kMainWindowFrame),
      environment_(std::move(environment)),
      handoff_([this] {
        QMetaObject::invokeMethod(this, [this] { handoff_.ServePending(); }, Qt::QueuedConnection);
      }) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8("Program do komunikacji z wagą."));
  setFont(FormFont());
  if (environment_.dialogs != nullptr) {
    dialogs_ = environment_.dialogs;
  } else {
    ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  if (!environment_.freeSpace) environment_.freeSpace = FreeDiskSpace;
  if (environment_.instanceMarkerPath.empty()) {
    environment_.instanceMarkerPath = DefaultInstanceMarkerPath();
  }
  if (!environment_.workingDirectory.empty()) {
    std::error_code ignored;
    std::filesystem::current_path(environment_.workingDirectory, ignored);
  }
  BuildMenu();
  BuildControls();
  BindScalePort();
  BindWeighings();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
  // A second copy would fight this one over the port and the data file: it
  // says so and ends once the window exists.
  if (!instanceMapping_.Claim(environment_.instanceMarkerPath)) {
    dialogs_->ShowMessage(MessageKind::Error, Literal("Program jest już w uruchomiony!"));
    terminateRequested_ = true;
  }
  // The data file grows with every line; warn while there is still room.
  if (environment_.freeSpace() < kMinimumFreeBytes) {
    dialogs_->ShowMessage(MessageKind::Warning,
                          Literal("Zbyt mało wolnego miejsca na dysku!\rProgram potrzebuje około ") +
                              "1" + Literal("MB wolnej przestrzeni do prawidłowego funkcjonowania."));
  }
  // No reading yet; supervision ticks from now on and reopens the port.
  ldisplay_->setText(QStringLiteral("- - - - -"));
  timer1_->setInterval(kTimerInterval);
  timer1_->start();
  // The defaults, in force for whatever konfig.ini does not say.
  const KonfigSettings defaults;
  comPortDriver_in_.SetBaudRate(defaults.BaudRate);
  comPortDriver_in_.SetPort(defaults.Port);
  maxPreviewLines_ = defaults.MaxPreviewLines;
  companyName_ = defaults.CompanyName;
  companyAddress_ = defaults.CompanyAddress;
  // The user's settings; what was read before a read failure stays in
  // force and the start-up goes on.
  KonfigSettings settings = CurrentKonfigSettings();
  try {
    LoadKonfig(settings);
    ApplyKonfigSettings(settings);
  } catch (const KonfigReadError& error) {
    ApplyKonfigSettings(settings);
    dialogs_->ShowMessage(MessageKind::Error, Literal("Nie można odczytać pliku konfig.ini:\r") +
                                                  Utf8ToCp1250(error.what()));
  }
  // Supervision counts the silence from now; the limit field shows the limit
  // in force; no half line is pending.
  acquisition_.LastLineTime = Now();
  eMaxlinie_->setText(QString::number(maxPreviewLines_));
  acquisition_.PendingLine.clear();
  // How the scale on that port sends its lines (protokol.ini beside konfig.ini).
  acquisition_.Protocol = LoadPortProtocol(kProtocolFileName, comPortDriver_in_.Port());
  // The scale's port, at the port and speed just settled.
  ConnectScalePort();
  // The maker's address on the logo.
  iqel_->setToolTip(QString::fromUtf8(maker::kWeb) + QLatin1Char('\n') +
                    QString::fromUtf8(maker::kMail));
  // The window opens on the scale's page.
  MwagaClick();
  // The data file of the day, created now so that a full disk shows at once.
  eNazwapliku_->setText(ToQString(FileDate(Now())));
  if (cbZapis_->isChecked()) CreateDataFileOfTheDay();
  // A series of weighings that the data file of the day leaves open goes on.
  StartWeighings();
  // The scale's commands of the protocol just loaded.
  UpdateScaleCommands();
  StartDatabaseShipping();
  // The window's fixed place and size.
  PlaceWindow();
}

// An existing file is left as it is.
void TForm1::CreateDataFileOfTheDay() {
  if (CreateDataFileIfMissing(FromQString(eNazwapliku_->text()))) return;
  dialogs_->ShowMessage(MessageKind::Error,
                        Literal("Błąd zapisu do pliku!\rPrawdopodobnie brak miejsca na dysku."));
  cbZapis_->setChecked(false);
}

void TForm1::PlaceWindow() {
  const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
  placedWithFrame_ = frame;
  setFixedSize(kOuterWidth - frame.left() - frame.right(),
               kOuterHeight - frame.top() - frame.bottom());
  move(0, 0);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placedAfterShow_) return;
  placedAfterShow_ = true;
  // The frame is known only once the window system has shown the window.
  QTimer::singleShot(0, this, &TForm1::PlaceWindow);
}

// A window manager frames the window some time after it is shown; once the
// frame is known, the outer size is made 800×573 again (only then: a window
// the user moves stays where it was put).
void TForm1::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (placedAfterShow_ && windowHandle() != nullptr &&
      windowHandle()->frameMargins() != placedWithFrame_) {
    QTimer::singleShot(0, this, &TForm1::PlaceWindow);
  }
}

void TForm1::FormClose() {
  if (formClosed_) return;
  formClosed_ = true;
  // The marker goes first, so that a new copy may start while this one
  // saves its settings and closes the port.
  instanceMapping_.Release();
  SaveKonfig(CurrentKonfigSettings());
  if (database_) database_->Stop();
  if (comPortDriver_in_.Connected()) {
    try {
      comPortDriver_in_.Close();
    } catch (...) {
      // The program ends in any case.
    }
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormClose();
  timer1_->stop();
  weighingTimer_->stop();
  event->accept();
}

void TForm1::SetStatusPanelText(int index, const std::string& cp1250) {
  if (QLabel* panel = StatusPanel(index)) panel->setText(ToQString(cp1250));
}

KonfigSettings TForm1::CurrentKonfigSettings() const {
  KonfigSettings s;
  s.Port = comPortDriver_in_.Port();
  s.BaudRate = comPortDriver_in_.BaudRate();
  s.CompanyName = companyName_;
  s.CompanyAddress = companyAddress_;
  s.CBzapis = cbZapis_->isChecked();
  s.CBciaglyplik = cbCiaglyplik_->isChecked();
  s.CBciaglymemo = cbCiaglymemo_->isChecked();
  s.Emaxlinie = FromQString(eMaxlinie_->text());
  s.MaxPreviewLines = maxPreviewLines_;
  s.RBautoucinaj = rbAutoucinaj_->isChecked();
  s.CBdruk_nazwafirmy = cbDrukNazwafirmy_->isChecked();
  s.CBdata_bilansu = cbDataBilansu_->isChecked();
  s.Ljednost = konfigUnit_;
  return s;
}

// The limit field is not touched: start-up fills it from MaxPreviewLines.
void TForm1::ApplyKonfigSettings(const KonfigSettings& s) {
  if (s.Port != comPortDriver_in_.Port()) comPortDriver_in_.SetPort(s.Port);
  if (s.BaudRate != comPortDriver_in_.BaudRate()) comPortDriver_in_.SetBaudRate(s.BaudRate);
  companyName_ = s.CompanyName;
  companyAddress_ = s.CompanyAddress;
  cbZapis_->setChecked(s.CBzapis);
  cbCiaglyplik_->setChecked(s.CBciaglyplik);
  cbCiaglymemo_->setChecked(s.CBciaglymemo);
  maxPreviewLines_ = s.MaxPreviewLines;
  (s.RBautoucinaj ? rbAutoucinaj_ : rbAutowyczysc_)->setChecked(true);
  cbDrukNazwafirmy_->setChecked(s.CBdruk_nazwafirmy);
  cbDataBilansu_->setChecked(s.CBdata_bilansu);
  konfigUnit_ = s.Ljednost;
  ShowReadingUnit(std::string());
}

void TForm1::ShowReadingUnit(const std::string& unit) {
  const QString text = ToQString(unit.empty() ? konfigUnit_ : unit);
  if (ljednost_->text() != text) ljednost_->setText(text);
}
