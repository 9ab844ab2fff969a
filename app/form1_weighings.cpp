// Weighings recorded at the computer: "Zapisz ważenie" and F2, "Zakończ
// bilans", automatic recording from a threshold kept per port in
// protokol.ini, and the series of the data file of the day taken up at
// start-up. The series itself is Qt-free (acquisition/weighing_series.h).

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "app/form1.h"
#include "platform/qt_text.h"
#include "protocols/protocol_settings.h"
#include "text/number_text.h"
#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

constexpr int kWeighingTickMs = 200;

// "5", "5.5" or "5,5"; nothing for any other text.
std::optional<double> ThresholdOf(const QString& text) {
  const auto value = TextToExtended(PointToComma(StripSpaces(FromQString(text))));
  if (!value || !(*value > 0) || *value > 1e9) return std::nullopt;
  return static_cast<double>(*value);
}

QString ThresholdText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return QString::fromLatin1(text);
}

}  // namespace

void TForm1::BindWeighings() {
  connect(bZapiszwazenie_, &QPushButton::clicked, this, &TForm1::BzapiszwazenieClick);
  connect(bZakonczbilans_, &QPushButton::clicked, this, &TForm1::BzakonczbilansClick);
  connect(cbAutomatycznie_, &QCheckBox::clicked, this, &TForm1::CBautomatycznieClick);
  connect(eAutomatycznie_, &QLineEdit::editingFinished, this, &TForm1::EautomatycznieExit);
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
  connect(f2, &QShortcut::activated, this, &TForm1::BzapiszwazenieClick);

  // After each line of the scale: settling, a waiting press, automatic
  // recording. Lines to write wait until the delivery has returned.
  // Our own lines answer nothing and record nothing.
  acquisition_.LineClassified = [this, before = std::move(acquisition_.LineClassified)](
                                    const ClassifiedLine& line) {
    if (processingOwnLines_) return;
    if (before) before(line);
    if (acquisition_.Protocol.autoRecordFrom != weighings_.AutoThreshold()) ShowAutomaticRecording();
    weighings_.SetDefaultUnit(FromQString(ljednost_->text()));
    lAutomatycznieJednost_->setText(ljednost_->text());  // the unit may come with the readings
    WeighingStep step = weighings_.OnLine(line, acquisition_.ShownReading);
    if (!step.status.empty()) statusPanel2_->setText(ToQString(step.status));
    if (step.lines.empty()) return;
    QTimer::singleShot(0, this, [this, lines = std::move(step.lines)] { ProcessOwnLines(lines); });
  };
  weighingTimer_ = new QTimer(this);
  weighingTimer_->setObjectName(QStringLiteral("WeighingTimer"));
  weighingTimer_->setInterval(kWeighingTickMs);
  connect(weighingTimer_, &QTimer::timeout, this,
          [this] { TakeWeighingStep(weighings_.OnTick(acquisition_.ShownReading)); });
}

void TForm1::StartWeighings() {
  weighings_.SetDefaultUnit(FromQString(ljednost_->text()));
  // The port's section as it stands now (the port was opened just before).
  acquisition_.Protocol = LoadPortProtocol(kProtocolFileName, comPortDriver_in_.Port());
  ShowAutomaticRecording();
  std::ifstream dataFile(FromQString(eNazwapliku_->text()), std::ios::binary);
  if (dataFile) RestoreOwnPreviewLines(weighings_.Recover(dataFile));
  if (weighings_.Open()) {
    statusPanel2_->setText(ToQString(Utf8ToCp1250("Bilans w toku: następne ważenie nr ") +
                                       std::to_string(weighings_.NextNumber()) + "."));
  }
  weighingTimer_->start();
}

void TForm1::TakeWeighingStep(const WeighingStep& step) {
  if (!step.status.empty()) statusPanel2_->setText(ToQString(step.status));
  ProcessOwnLines(step.lines);
}

void TForm1::BzapiszwazenieClick() {
  weighings_.SetDefaultUnit(FromQString(ljednost_->text()));
  TakeWeighingStep(weighings_.Record(acquisition_.ShownReading));
}

void TForm1::BzakonczbilansClick() { TakeWeighingStep(weighings_.End()); }

// The threshold of the open port's section, in the controls and the series.
void TForm1::ShowAutomaticRecording() {
  const double threshold = acquisition_.Protocol.autoRecordFrom;
  weighings_.SetAutoThreshold(threshold);
  cbAutomatycznie_->setChecked(threshold > 0);
  if (threshold > 0) eAutomatycznie_->setText(ThresholdText(threshold));
  lAutomatycznieJednost_->setText(ljednost_->text());
}

void TForm1::CBautomatycznieClick() {
  double threshold = 0;
  if (cbAutomatycznie_->isChecked()) {
    const auto entered = ThresholdOf(eAutomatycznie_->text());
    if (!entered) {
      cbAutomatycznie_->setChecked(false);
      statusPanel2_->setText(QString::fromUtf8("Podaj próg automatycznego zapisu większy od zera."));
      return;
    }
    threshold = *entered;
  }
  PortProtocolSettings settings = acquisition_.Protocol;
  settings.autoRecordFrom = threshold;
  std::string reason;
  if (!SavePortProtocol(kProtocolFileName, comPortDriver_in_.Port(), settings, reason)) {
    statusPanel2_->setText(QString::fromUtf8("Nie zapisano protokol.ini: ") + QString::fromStdString(reason));
  }
  // In force for this run even when the file could not take it.
  acquisition_.Protocol.autoRecordFrom = threshold;
  ShowAutomaticRecording();
  statusPanel2_->setText(threshold > 0 ? QString::fromUtf8("Automatyczny zapis ważeń od ") + ThresholdText(threshold) +
                                               QLatin1Char(' ') + ljednost_->text() + QLatin1Char('.')
                                         : QString::fromUtf8("Automatyczny zapis ważeń wyłączony."));
}

void TForm1::EautomatycznieExit() {
  if (!cbAutomatycznie_->isChecked()) return;
  const auto entered = ThresholdOf(eAutomatycznie_->text());
  if (entered && *entered == acquisition_.Protocol.autoRecordFrom) return;
  if (!entered) {
    eAutomatycznie_->setText(ThresholdText(acquisition_.Protocol.autoRecordFrom));
    statusPanel2_->setText(QString::fromUtf8("Podaj próg automatycznego zapisu większy od zera."));
    return;
  }
  CBautomatycznieClick();
}
