#pragma once

// The main window: the weight display, the settings pages, the preview and
// the status bar. Its controls hold the settings; the shared values of the
// run live here too. FormCreate runs the start-up sequence when the window is
// constructed; FormClose runs when it closes.

#include <QMainWindow>
#include <QMargins>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/acquisition_state.h"
#include "acquisition/weighing_series.h"
#include "acquisition/request_cycle.h"
#include "text/clock.h"
#include "balance/print_stream.h"
#include "config/konfig/konfig.h"
#include "view/dialogs.h"
#include "platform/instance_marker.h"
#include "serial/com_port.h"
#include "serial/ui_handoff.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class TAboutBox;
class ExportDialog;
class DatabaseShipping;
class TFormUstaw;
class BevelPanel;
class ClickLabel;
class ScreenFrame;

// What start-up takes from its surroundings; tests replace each part.
struct TForm1Environment {
  // The boxes and dialogs; null: Qt boxes owned by the window.
  Dialogs* dialogs = nullptr;
  // Free bytes on the working directory's disk, -1 if unknown; empty: statvfs.
  std::function<std::int64_t()> freeSpace;
  // The single-instance marker file; empty: DefaultInstanceMarkerPath().
  std::string instanceMarkerPath;
  // Made the process's working directory before start-up; empty: unchanged.
  std::string workingDirectory;
  // A new stream for each print command; empty: the default printer.
  std::function<std::unique_ptr<PrintStream>()> printStream;
  // Shows the message (Windows-1250) of an exception that ended a command;
  // empty: the application's standard exception display.
  std::function<void(const std::string&)> showException;
};

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kOuterWidth = 800;
  static constexpr int kOuterHeight = 573;
  static constexpr int kTimerInterval = 2000;

  explicit TForm1(TForm1Environment environment = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  // The windows created after the main window; the menu opens them.
  void SetFormUstaw(TFormUstaw* form) { formUstaw_ = form; }
  void SetAboutBox(TAboutBox* box) { aboutBox_ = box; }
  TFormUstaw* FormUstaw() const { return formUstaw_; }
  TAboutBox* AboutBox() const { return aboutBox_; }

  // Start-up met another instance: the program ends without its event loop.
  bool TerminateRequested() const { return terminateRequested_; }

  // Shared values of the run (UI thread only).
  std::string& PendingLine() { return acquisition_.PendingLine; }
  TDateTime& LastLineTime() { return acquisition_.LastLineTime; }
  std::int32_t& MaxPreviewLines() { return maxPreviewLines_; }
  std::string& CompanyName() { return companyName_; }
  std::string& CompanyAddress() { return companyAddress_; }
  TComPort& ComPortDriver_in() { return comPortDriver_in_; }
  Dialogs& UserDialogs() { return *dialogs_; }

  // Controls.
  QLabel* Ldisplay() const { return ldisplay_; }
  QLabel* Ljednost() const { return ljednost_; }
  // Ljednost shows `unit`, or konfig.ini's unit when it is empty; that one
  // stays the one konfig.ini keeps.
  void ShowReadingUnit(const std::string& unit);
  QPlainTextEdit* Mraport() const { return mraport_; }
  // The preview's and the display's screen frame (looked up once).
  ScreenFrame& PreviewFrame();
  QTabWidget* PCustawienia() const { return pcUstawienia_; }
  QCheckBox* CBzapis() const { return cbZapis_; }
  QLineEdit* Enazwapliku() const { return eNazwapliku_; }
  QPushButton* Bzmienplik() const { return bZmienplik_; }
  QCheckBox* CBciaglyplik() const { return cbCiaglyplik_; }
  QLineEdit* Emaxlinie() const { return eMaxlinie_; }
  QRadioButton* RBautoucinaj() const { return rbAutoucinaj_; }
  QRadioButton* RBautowyczysc() const { return rbAutowyczysc_; }
  QCheckBox* CBciaglymemo() const { return cbCiaglymemo_; }
  QPushButton* Bwyczysc() const { return bWyczysc_; }
  QCheckBox* CBdruk_nazwafirmy() const { return cbDrukNazwafirmy_; }
  QCheckBox* CBdata_bilansu() const { return cbDataBilansu_; }
  QPushButton* BBdrukuj() const { return bbDrukuj_; }
  QPushButton* BBdrukuj_bilans() const { return bbDrukujBilans_; }
  QPushButton* BBdrukuj_szczbilans() const { return bbDrukujSzczbilans_; }
  QLabel* Iqel() const { return iqel_; }
  // Weighings recorded at the computer: page "Waga" and page "Bilans"; their
  // outcomes go to status panel 2, as the scale's commands' do.
  QPushButton* Bzapiszwazenie() const { return bZapiszwazenie_; }
  QPushButton* Bzakonczbilans() const { return bZakonczbilans_; }
  QCheckBox* CBautomatycznie() const { return cbAutomatycznie_; }
  QLineEdit* Eautomatycznie() const { return eAutomatycznie_; }
  QLabel* WeighingStatus() const { return statusPanel2_; }
  WeighingSeries& Weighings() { return weighings_; }
  // What line processing keeps for the window (the reading shown, the
  // port's protocol settings).
  AcquisitionState& Acquisition() { return acquisition_; }
  QTimer* Timer1() const { return timer1_; }
  // Status bar panel 0 ("Połączenie z wagą:"), 1 (the connection state) or
  // 2 (the scale's replies to requests, tare and zero).
  QLabel* StatusPanel(int index) const {
    return index == 0 ? statusPanel0_ : index == 1 ? statusPanel1_ : index == 2 ? statusPanel2_ : nullptr;
  }
  void SetStatusPanelText(int index, const std::string& cp1250);

  // Menu items.
  QAction* Mwaga() const { return mWaga_; }
  QAction* Mplik() const { return mPlik_; }
  QAction* Mpodglad() const { return mPodglad_; }
  QAction* MBilans() const { return mBilans_; }
  QAction* MMustaw_rs() const { return mmUstawRs_; }
  QAction* Mnazwafirmy() const { return mNazwafirmy_; }
  QAction* Madresfirmy() const { return mAdresfirmy_; }
  QAction* MMabout() const { return mmAbout_; }
  QAction* MMeksport() const { return mmEksport_; }
  // The scale's commands (F5, F6, F7).
  QAction* MMzapytanie() const { return mmZapytanie_; }
  QAction* MMtara() const { return mmTara_; }
  QAction* MMzerowanie() const { return mmZerowanie_; }
  // Ticks the request cycle while it has work.
  QTimer* TimerZapytan() const { return timerZapytan_; }
  const RequestCycle& Requests() const { return requestCycle_; }
  ExportDialog* EksportDialog() const { return exportDialog_; }
  QAction* MMbaza() const { return mmBaza_; }
  // Status bar panel 3: the shipping to the database (hidden without baza.ini).
  QLabel* DatabasePanel() const { return statusPanel3_; }
  DatabaseShipping& Database() { return *database_; }
  QAction* Koniec1() const { return koniec1_; }

  // The settings that "konfig.ini" carries, read from and written to the
  // controls and shared values.
  KonfigSettings CurrentKonfigSettings() const;
  void ApplyKonfigSettings(const KonfigSettings& settings);

 public slots:
  // Menu and pages.
  void MwagaClick();
  void MplikClick();
  void MpodgladClick();
  void MBilansClick();
  void PCustawieniaChange();
  void MMaboutClick();
  void MMeksportClick();
  void MMbazaClick();
  void Koniec1Click();
  void MMustaw_rsClick();
  void MnazwafirmyClick();
  void MadresfirmyClick();
  // The scale: a request now (F5), tare (F6), zero (F7).
  void MMzapytanieClick();
  void MMtaraClick();
  void MMzerowanieClick();

  // Supervision and printing.
  void Timer1Timer();
  void TimerZapytanTimer();
  void BBdrukuj_bilansClick();
  void BBdrukuj_szczbilansClick();
  void BBdrukujClick();

  // Page "Plik" and page "Podgląd".
  void BzmienplikClick();
  void EmaxlinieExit();
  void BwyczyscClick();

  // Weighings: "Zapisz ważenie" (and F2), "Zakończ bilans", automatic
  // recording and its threshold (kept per port in protokol.ini).
  void BzapiszwazenieClick();
  void BzakonczbilansClick();
  void CBautomatycznieClick();
  void EautomatycznieExit();

 public:
  // Received characters of ComPortDriver_in (`count` of them are waiting).
  void ComPortDriver_inRxChar(std::int32_t count);
  // A mouse button goes down on CBzapis, before the box toggles. Returns true
  // when the press is consumed, so that the box does not toggle by itself.
  bool CBzapisMouseDown(Qt::MouseButton button);
  // A character typed into Emaxlinie; setting `key` to 0 swallows it.
  void EmaxlinieKeyPress(char& key);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildDisplay(QWidget* client);
  void BuildPages(QWidget* client);
  void BuildPageWaga(QWidget* page);
  void BuildPagePlik(QWidget* page);
  void BuildPagePodglad(QWidget* page);
  void BuildPageBilans(QWidget* page);
  void BuildPreview(QWidget* client);
  void BuildStatusBar();
  void BuildMenu();
  void ShowPage(int index);
  void MarkPageItem(int index);
  // Sends a command of the keyboard or the menu through the request cycle.
  void ScaleCommandClick(ScaleCommand command);
  // Greys the scale's commands that the port's protocol lacks or that a
  // closed port cannot send, and runs the request timer while the cycle
  // has work.
  void UpdateScaleCommands();

  void FormCreate();
  void FormClose();
  // Start-up step 11: the first connection of ComPortDriver_in, with the
  // outcome in status panel 1.
  void ConnectScalePort();
  // The port lent to the transmission dialog's search for the scale, and
  // taken back.
  void LendPortToSearch();
  void TakePortBackFromSearch();
  // Deliveries of ComPortDriver_in on this window's event loop, OnRxChar and
  // the data file message; before the port is first opened.
  void BindScalePort();
  // Runs a command; an exception that ends it goes to the exception display.
  void RunCommand(const std::function<void()>& command);
  void CreateDataFileOfTheDay();
  // The shipping of the data file's lines to the database, when baza.ini is there.
  void StartDatabaseShipping();
  // Weighings: the controls' handlers bound, the series of the data file
  // of the day taken up, the outcome of a step shown and its lines put
  // through line processing as received text (never inside a delivery).
  void BindWeighings();
  void StartWeighings();
  void TakeWeighingStep(const WeighingStep& step);
  void ProcessOwnLines(const std::vector<std::string>& lines);
  void RestoreOwnPreviewLines(const std::vector<std::string>& lines);
  void ShowAutomaticRecording();
  // Left 0, top 0 and the outer size 800×573, as far as the frame is known.
  void PlaceWindow();

  TForm1Environment environment_;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs* dialogs_ = nullptr;
  InstanceMarker instanceMapping_;
  bool terminateRequested_ = false;
  bool formClosed_ = false;
  bool placedAfterShow_ = false;
  QMargins placedWithFrame_;

  // Declared before the port: the port's close serves the hand-off and may
  // run its handlers, so both must outlive it.
  QueuedUiHandoff handoff_;
  AcquisitionState acquisition_;
  RequestCycle requestCycle_;
  // Set by FormCreate from the defaults and konfig.ini.
  std::int32_t maxPreviewLines_ = 0;
  std::string companyName_;
  std::string companyAddress_;
  std::string konfigUnit_ = KonfigSettings().Ljednost;
  TComPort comPortDriver_in_{"ComPortDriver_in"};

  TFormUstaw* formUstaw_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;

  BevelPanel* pryswagi_ = nullptr;
  QLabel* image1_ = nullptr;
  QLabel* ldisplay_ = nullptr;
  QLabel* ljednost_ = nullptr;
  QTabWidget* pcUstawienia_ = nullptr;
  QLabel* iqel_ = nullptr;
  QPushButton* bZapiszwazenie_ = nullptr;
  QPushButton* bZakonczbilans_ = nullptr;
  QCheckBox* cbAutomatycznie_ = nullptr;
  QLineEdit* eAutomatycznie_ = nullptr;
  QLabel* lAutomatycznieJednost_ = nullptr;
  QTimer* weighingTimer_ = nullptr;
  WeighingSeries weighings_;
  bool processingOwnLines_ = false;
  QGroupBox* gbUstawplik_ = nullptr;
  QCheckBox* cbZapis_ = nullptr;
  QLineEdit* eNazwapliku_ = nullptr;
  QPushButton* bZmienplik_ = nullptr;
  QCheckBox* cbCiaglyplik_ = nullptr;
  QGroupBox* gbUstawmemo_ = nullptr;
  QLineEdit* eMaxlinie_ = nullptr;
  QRadioButton* rbAutoucinaj_ = nullptr;
  QRadioButton* rbAutowyczysc_ = nullptr;
  QCheckBox* cbCiaglymemo_ = nullptr;
  QPushButton* bWyczysc_ = nullptr;
  QGroupBox* gbBilans_ = nullptr;
  QCheckBox* cbDrukNazwafirmy_ = nullptr;
  QCheckBox* cbDataBilansu_ = nullptr;
  QPushButton* bbDrukuj_ = nullptr;
  QPushButton* bbDrukujBilans_ = nullptr;
  QPushButton* bbDrukujSzczbilans_ = nullptr;
  QPlainTextEdit* mraport_ = nullptr;
  ScreenFrame* previewFrame_ = nullptr;
  QLabel* statusPanel0_ = nullptr;
  QLabel* statusPanel1_ = nullptr;
  QLabel* statusPanel2_ = nullptr;
  QLabel* statusPanel3_ = nullptr;
  std::unique_ptr<DatabaseShipping> database_;
  QTimer* timer1_ = nullptr;
  QTimer* timerZapytan_ = nullptr;

  QActionGroup* pageItems_ = nullptr;
  QAction* mWaga_ = nullptr;
  QAction* mPlik_ = nullptr;
  QAction* mPodglad_ = nullptr;
  QAction* mBilans_ = nullptr;
  QAction* mmUstawRs_ = nullptr;
  QAction* mNazwafirmy_ = nullptr;
  QAction* mAdresfirmy_ = nullptr;
  QAction* mmAbout_ = nullptr;
  QAction* mmEksport_ = nullptr;
  QAction* mmZapytanie_ = nullptr;
  QAction* mmTara_ = nullptr;
  QAction* mmZerowanie_ = nullptr;
  ExportDialog* exportDialog_ = nullptr;
  QAction* mmBaza_ = nullptr;
  QAction* koniec1_ = nullptr;
};
