// "Wykryj" in the transmission dialog: the search for the scale runs on a
// thread of its own; its steps and its end come back to the dialog through
// queued calls, so the dialog never waits for the port.

#include <QComboBox>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include "config/settings/transmission.h"
#include "config/ui/form_ustaw.h"
#include "config/ui/radio_group.h"
#include "ports/detection_port.h"
#include "ports/detection_run.h"

TFormUstaw::~TFormUstaw() { StopDetection(); }

void TFormUstaw::BWykryjClick() {
  if (run_) {
    run_->Stop();
    return;
  }
  const int item = rgNumPortu_->ItemIndex();
  if (item < 0) return;
  const std::string port = "COM" + std::to_string(item + 1);
  detected_.reset();
  detectedPort_ = port;
  if (hooks_.pause) hooks_.pause();
  const int generation = ++generation_;
  bWykryj_->setText(QStringLiteral("Przerwij"));
  bOk_->setEnabled(false);
  lWykryj_->setText(QString::fromUtf8("Wykrywanie na ") + QString::fromStdString(port) +
                    QStringLiteral("..."));
  run_ = std::make_unique<DetectionRun>(
      port, std::string(),
      [this, generation](const DetectionStep& step) {
        QMetaObject::invokeMethod(
            this, [this, generation, step] {
              if (generation == generation_ && run_) DetectionStepShown(step);
            },
            Qt::QueuedConnection);
      },
      [this, generation](const DetectionResult& result) {
        QMetaObject::invokeMethod(
            this, [this, generation, result] {
              if (generation == generation_ && run_) DetectionEnded(result);
            },
            Qt::QueuedConnection);
      },
      timing_);
}

void TFormUstaw::DetectionStepShown(const DetectionStep& step) {
  lWykryj_->setText(QString::fromUtf8("Wykrywanie na ") + QString::fromStdString(detectedPort_) +
                    QString::fromUtf8(" – ") + QString::fromUtf8(StepText(step)) +
                    QString::fromUtf8(" (próba %1)").arg(step.index));
}

void TFormUstaw::DetectionEnded(const DetectionResult& result) {
  StopDetection();
  if (result.outcome == DetectionOutcome::PortFailed) {
    lWykryj_->setText(QString::fromUtf8(DetectionFailureText(detectedPort_, result)));
    return;
  }
  lWykryj_->setText(QString::fromUtf8(DetectionText(result)));
  if (result.outcome != DetectionOutcome::Found) return;
  detected_ = result;
  cbProtokol_->setCurrentIndex(static_cast<int>(result.protocol));  // saved with "Zamknij"
  for (const BaudRateFacts& facts : kBaudRates) {
    if (IsOfferedRate(facts.rate) && facts.bitsPerSecond == result.speed) {
      rgSzybkosc_->SetItemIndex(SpeedItemIndex(facts.rate));
    }
  }
}

void TFormUstaw::StopDetection() {
  if (!run_) return;
  run_.reset();  // stops the search and waits for its thread
  bWykryj_->setText(QStringLiteral("Wykryj"));
  bOk_->setEnabled(true);
  if (hooks_.resume) hooks_.resume();
}

void TFormUstaw::done(int result) {
  if (run_) {
    StopDetection();
    lWykryj_->setText(QString::fromUtf8("Wykrywanie przerwane."));
  }
  QDialog::done(result);
}
