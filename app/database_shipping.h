#pragma once

// The window's side of shipping the lines to a database: started by
// FormCreate when baza.ini is there (without it nothing runs and the panel
// stays hidden), its state in a status bar panel with the cause and cure in
// the panel's tooltip, stopped by FormClose within a few seconds, and the
// dialog "Baza danych..." that edits baza.ini. Nothing of it ever shows a
// box while the scale is served: the panel says everything. A build
// without the database has a second file behind this interface.

#include <functional>
#include <memory>
#include <string>

#include "protocols/scale_protocol.h"

class Dialogs;
class QLabel;
class QWidget;

class DatabaseShipping {
 public:
  struct Sources {
    std::function<std::string()> currentFile;  // the data file's name (Windows-1250)
    std::function<ProtocolId()> protocol;      // the open port's protocol
  };

  // `folder`: the working folder, where baza.ini and the data files are.
  DatabaseShipping(QLabel* panel, QWidget* window, Dialogs& dialogs, std::string folder, Sources sources);
  ~DatabaseShipping();
  DatabaseShipping(const DatabaseShipping&) = delete;
  DatabaseShipping& operator=(const DatabaseShipping&) = delete;

  void Start();
  void Stop();
  void OpenDialog();
  bool Running() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
