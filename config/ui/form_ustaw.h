#pragma once

#include <QDialog>
#include <string>

#include <functional>
#include <memory>
#include <optional>

#include "ports/scale_detection.h"
#include "protocols/protocol_settings.h"

class DetectionRun;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCustomComPort;
class TRadioGroup;

// The transmission parameters dialog "Ustawienia...": created once at program
// start and reused; opened modally from the main window's menu. Each opening
// selects the port and speed of the serial component; "Zamknij" ends it with
// the result OK, the caption's close button with another result.
class TFormUstaw : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 408;
  static constexpr int kClientHeight = 424;

  explicit TFormUstaw(QWidget* parent = nullptr);
  ~TFormUstaw() override;

  // The serial component whose settings the next opening shows.
  void SetComPort(const TCustomComPort* port) { port_ = port; }
  // The protokol.ini that openings read the ports' protocols from.
  void SetProtocolFile(std::string path) { protocolFile_ = std::move(path); }
  // After "Zamknij": the protocol settings of the chosen port.
  const PortProtocolSettings& ChosenProtocol() const { return chosen_; }
  // Whether they differ from what protokol.ini held for that port.
  bool ProtocolEdited() const { return !(chosen_ == shown_); }

  TRadioGroup* RGNumPortu() const { return rgNumPortu_; }
  TRadioGroup* RGSzybkosc() const { return rgSzybkosc_; }
  QPushButton* BOk() const { return bOk_; }
  QComboBox* CBprotokol() const { return cbProtokol_; }
  QLineEdit* Ezapytanie() const { return eZapytanie_; }
  QLineEdit* Eco_ile_ms() const { return eCoIleMs_; }
  // Why "Zamknij" was refused; empty while nothing is wrong.
  QLabel* Lblad() const { return lBlad_; }
  QPushButton* BAnuluj() const { return bAnuluj_; }
  QPushButton* BWykryj() const { return bWykryj_; }
  QLabel* LWykryj() const { return lWykryj_; }

  // What the dialog asks of the main window around a search for the scale
  // ("Wykryj"): before it the program's port closed and the supervision held
  // off, after it both as they were.
  struct DetectionHooks {
    std::function<void()> pause;
    std::function<void()> resume;
  };
  void SetDetectionHooks(DetectionHooks hooks) { hooks_ = std::move(hooks); }
  void SetDetectionTiming(const DetectionTiming& timing) { timing_ = timing; }
  bool Detecting() const { return run_ != nullptr; }
  // The scale found by a search in this opening on `DetectedPort()`: its
  // speed is selected; its line format waits for "Zamknij".
  const std::optional<DetectionResult>& Detected() const { return detected_; }
  const std::string& DetectedPort() const { return detectedPort_; }

 public slots:
  void BOkClick();
  // Starts a search on the selected port, or stops the one under way.
  void BWykryjClick();
  // Stops a search under way before the dialog ends.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void BuildProtocolGroup();
  // The fields show the protocol of the port item `portItem`.
  void ShowPortProtocol(int portItem);
  void ProtocolChanged(int item);
  void DetectionStepShown(const DetectionStep& step);
  void DetectionEnded(const DetectionResult& result);
  void StopDetection();

  const TCustomComPort* port_ = nullptr;
  TRadioGroup* rgNumPortu_ = nullptr;
  TRadioGroup* rgSzybkosc_ = nullptr;
  QPushButton* bOk_ = nullptr;
  QGroupBox* gbProtokol_ = nullptr;
  QComboBox* cbProtokol_ = nullptr;
  QLineEdit* eZapytanie_ = nullptr;
  QLineEdit* eCoIleMs_ = nullptr;
  QLabel* lBlad_ = nullptr;
  std::string protocolFile_ = kProtocolFileName;
  PortProtocolSettings shown_;   // what the port's section held at showing
  PortProtocolSettings chosen_;
  int shownProtocolItem_ = 0;
  QPushButton* bAnuluj_ = nullptr;
  QPushButton* bWykryj_ = nullptr;
  QLabel* lWykryj_ = nullptr;

  DetectionHooks hooks_;
  DetectionTiming timing_;
  std::unique_ptr<DetectionRun> run_;
  // Counts the searches, so that a report of a stopped one is not taken for
  // one of the next.
  int generation_ = 0;
  std::optional<DetectionResult> detected_;
  std::string detectedPort_;
};
