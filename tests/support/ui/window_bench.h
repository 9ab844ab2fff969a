#pragma once

// What a window test gives the main window: a fresh working folder, a folder
// of its own for the instance marker, scripted boxes and room on the disk.
// A test makes a new bench for each case (`bench_ = WindowBench();`).

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

#include "app/form1.h"
#include "tests/support/ui/scripted_dialogs.h"

struct WindowBench {
  std::unique_ptr<QTemporaryDir> work = std::make_unique<QTemporaryDir>();
  std::unique_ptr<QTemporaryDir> runtime = std::make_unique<QTemporaryDir>();
  ScriptedDialogs dialogs;
  std::int64_t freeSpace = std::int64_t{1} << 40;

  QString WorkFile(const char* name) const { return work->filePath(QString::fromUtf8(name)); }

  TForm1Environment Environment() {
    TForm1Environment environment;
    environment.dialogs = &dialogs;
    environment.freeSpace = [this] { return freeSpace; };
    environment.instanceMarkerPath = runtime->filePath(QStringLiteral("ApplicationTestMap")).toStdString();
    environment.workingDirectory = work->path().toStdString();
    return environment;
  }
};
