#include "app/export_dialog.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "export/background_export.h"
#include "export/file_names.h"
#include "export/proposed_name.h"
#include "view/dialogs.h"
#include "platform/window_frames.h"
#include "text/clock.h"
#include "text/win1250.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

double DayOf(const QDate& date) {
  return EncodeDateTime({.year = date.year(), .month = date.month(), .day = date.day()});
}

QDate Today() {
  const DateTimeParts now = DecodeDateTime(Now());
  return QDate(now.year, now.month, now.day);
}

std::string FileName(const QString& name) { return QFile::encodeName(name).toStdString(); }
QString FromFileName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

// The box breaks lines at '\r'.
std::string BoxText(std::string utf8) {
  for (char& c : utf8) {
    if (c == '\n') c = '\r';
  }
  return Utf8ToCp1250(utf8);
}

}  // namespace

ExportDialog::ExportDialog(Dialogs& dialogs, std::string folder, QWidget* parent)
    : QDialog(parent, kDialogFrame), dialogs_(dialogs), folder_(std::move(folder)) {
  setObjectName(QStringLiteral("FormEksport"));
  setWindowTitle(U("Eksport do arkusza"));
  choices_ = LoadExportChoices(InFolder(folder_, kExportChoicesFileName));

  from_ = new QDateEdit(Today(), this);
  to_ = new QDateEdit(Today(), this);
  for (QDateEdit* day : {from_, to_}) {
    day->setCalendarPopup(true);
    day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(day, &QDateEdit::dateChanged, this, &ExportDialog::ProposeTarget);
  }
  format_ = new QComboBox(this);
  format_->addItem(U("Skoroszyt Excel (.xlsx)"));
  format_->addItem(U("Tekst CSV (.csv): ważenia, bilanse i odczyty w osobnych plikach"));
  format_->setCurrentIndex(choices_.format == ExportFormat::Csv ? 1 : 0);
  connect(format_, &QComboBox::currentIndexChanged, this, [this] {
    if (!targetChosen_) return ProposeTarget();
    // A chosen target keeps its name and takes the format's extension.
    QFileInfo chosen(target_->text());
    target_->setText(chosen.dir().filePath(chosen.completeBaseName() +
                                           (ChosenFormat() == ExportFormat::Csv ? ".csv" : ".xlsx")));
  });

  target_ = new QLineEdit(this);
  target_->setMinimumWidth(360);
  connect(target_, &QLineEdit::textEdited, this, [this] { targetChosen_ = true; });
  choose_ = new QPushButton(U("Wybierz..."), this);
  connect(choose_, &QPushButton::clicked, this, &ExportDialog::ChooseClick);
  auto* targetRow = new QHBoxLayout;
  targetRow->addWidget(target_, 1);
  targetRow->addWidget(choose_);

  progress_ = new QProgressBar(this);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat(U("%v z %m"));

  auto* form = new QFormLayout;
  form->addRow(U("Od dnia:"), from_);
  form->addRow(U("Do dnia:"), to_);
  form->addRow(U("Format:"), format_);
  form->addRow(U("Plik:"), targetRow);
  form->addRow(U("Pliki danych:"), progress_);

  auto* buttons = new QDialogButtonBox(this);
  start_ = buttons->addButton(U("Eksportuj"), QDialogButtonBox::AcceptRole);
  close_ = buttons->addButton(U("Zamknij"), QDialogButtonBox::RejectRole);
  start_->setDefault(true);
  connect(start_, &QPushButton::clicked, this, &ExportDialog::StartClick);
  connect(close_, &QPushButton::clicked, this, &ExportDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  ProposeTarget();
}

ExportDialog::~ExportDialog() = default;

ExportFormat ExportDialog::ChosenFormat() const {
  return format_->currentIndex() == 1 ? ExportFormat::Csv : ExportFormat::Xlsx;
}

void ExportDialog::ProposeTarget() {
  if (targetChosen_) return;
  const std::string name = ProposedTargetName(DayOf(from_->date()), DayOf(to_->date()), ChosenFormat());
  const std::string& folder = choices_.folder.empty() ? folder_ : choices_.folder;
  target_->setText(QFileInfo(FromFileName(InFolder(folder, name))).absoluteFilePath());
}

void ExportDialog::ChooseClick() {
  const bool csv = ChosenFormat() == ExportFormat::Csv;
  const QString filter = csv ? U("Tekst CSV (*.csv)") : U("Skoroszyt Excel (*.xlsx)");
  QString name = QFileDialog::getSaveFileName(this, U("Zapisz arkusz jako"), target_->text(), filter);
  if (name.isEmpty()) return;
  if (!FormatOfTarget(FileName(name))) name += csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
  target_->setText(name);
  targetChosen_ = true;
}

void ExportDialog::StartClick() {
  if (job_) return;
  if (from_->date() > to_->date()) {
    dialogs_.ShowMessage(MessageKind::Error, BoxText("Dzień „od” jest późniejszy niż dzień „do”."));
    return;
  }
  std::string target = FileName(target_->text().trimmed());
  if (target.empty()) {
    dialogs_.ShowMessage(MessageKind::Error, BoxText("Podaj plik, do którego zapisać arkusz."));
    return;
  }
  const ExportFormat format = ChosenFormat();
  if (FormatOfTarget(target) != format) target += format == ExportFormat::Csv ? ".csv" : ".xlsx";

  choices_.format = format;
  choices_.folder = FolderOf(target);
  SaveExportChoices(choices_, InFolder(folder_, kExportChoicesFileName));

  auto files = DataFilesOfDays(DayOf(from_->date()), DayOf(to_->date()), folder_);
  progress_->setRange(0, static_cast<int>(files.size()));
  progress_->setValue(0);
  for (QWidget* control : {static_cast<QWidget*>(from_), static_cast<QWidget*>(to_),
                           static_cast<QWidget*>(format_), static_cast<QWidget*>(target_),
                           static_cast<QWidget*>(choose_), static_cast<QWidget*>(start_)}) {
    control->setEnabled(false);
  }
  close_->setText(U("Przerwij"));
  // Both callbacks run on the export's thread and only post to this one.
  job_ = std::make_unique<BackgroundExport>(
      std::move(files), target, format,
      [this](int done, int) {
        QMetaObject::invokeMethod(this, [this, done] { progress_->setValue(done); }, Qt::QueuedConnection);
      },
      [this](const ExportSummary& summary) {
        QMetaObject::invokeMethod(this, [this, summary] { Finished(summary); }, Qt::QueuedConnection);
      },
      ExportProtocol(folder_));
}

void ExportDialog::Finished(const ExportSummary& summary) {
  job_.reset();
  for (QWidget* control : findChildren<QWidget*>()) control->setEnabled(true);
  close_->setText(U("Zamknij"));
  const bool failed = summary.error.has_value();
  if (!failed && !summary.cancelled) progress_->setValue(progress_->maximum());
  dialogs_.ShowMessage(failed ? MessageKind::Error : MessageKind::Information, BoxText(SummaryText(summary)));
}

// "Zamknij" or Escape: a running export is stopped first (its end still
// comes back and says so), a finished dialog closes.
void ExportDialog::reject() {
  if (job_) {
    job_->Cancel();
    return;
  }
  QDialog::reject();
}
