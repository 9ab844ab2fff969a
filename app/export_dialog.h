#pragma once

// "Eksport do arkusza": the days, the format and the target of an export of
// the data files, a progress bar over the files and the closing message. The
// export runs on a thread of its own; its progress and its end come back to
// this window's thread as queued calls, so nothing waits for it.

#include <QDialog>
#include <memory>

#include "export/export_choices.h"

class BackgroundExport;
class Dialogs;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QProgressBar;
class QPushButton;
struct ExportSummary;

class ExportDialog : public QDialog {
  Q_OBJECT

 public:
  // The data files and eksport.ini are in `folder` (the working folder);
  // `dialogs` shows the closing message.
  ExportDialog(Dialogs& dialogs, std::string folder, QWidget* parent = nullptr);
  ~ExportDialog() override;

  QDateEdit* From() const { return from_; }
  QDateEdit* To() const { return to_; }
  QComboBox* Format() const { return format_; }
  QLineEdit* Target() const { return target_; }
  QProgressBar* Progress() const { return progress_; }
  QPushButton* StartButton() const { return start_; }
  bool Running() const { return job_ != nullptr; }

  void StartClick();
  void ChooseClick();

 protected:
  void reject() override;

 private:
  ExportFormat ChosenFormat() const;
  // The proposed name in the remembered folder, while the user has not
  // chosen a target of his own.
  void ProposeTarget();
  void Finished(const ExportSummary& summary);

  Dialogs& dialogs_;
  std::string folder_;
  ExportChoices choices_;
  bool targetChosen_ = false;
  std::unique_ptr<BackgroundExport> job_;

  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QComboBox* format_ = nullptr;
  QLineEdit* target_ = nullptr;
  QPushButton* choose_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* close_ = nullptr;
};
