#pragma once

// "Baza danych": edits baza.ini (the connection and the station's name) and
// checks the connection on a thread of its own; the answer comes back to
// this window's thread as a queued call, so the window never waits for the
// server.

#include <QDialog>
#include <memory>
#include <string>
#include <thread>

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;

class DatabaseDialog : public QDialog {
  Q_OBJECT

 public:
  DatabaseDialog(Dialogs& dialogs, std::string settingsPath, QWidget* parent = nullptr);
  // Waits for a check still under way (a few seconds at most).
  ~DatabaseDialog() override;

  // The fields from baza.ini.
  void Load();

  QLineEdit* Connection() const { return connection_; }
  QLineEdit* Station() const { return station_; }
  QLabel* Outcome() const { return outcome_; }
  QPushButton* CheckButton() const { return check_; }

  void CheckClick();
  void SaveClick();

 private:
  Dialogs& dialogs_;
  std::string path_;
  std::thread checker_;
  QLineEdit* connection_ = nullptr;
  QLineEdit* station_ = nullptr;
  QLabel* outcome_ = nullptr;
  QPushButton* check_ = nullptr;
  QPushButton* save_ = nullptr;
};
