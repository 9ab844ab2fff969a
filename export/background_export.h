#pragma once

// An export on a thread of its own, so that the window that starts it keeps
// serving the scale. It shares nothing with the serial path: the callbacks
// run on the export's thread and the caller hands them on to its own thread
// without waiting.

#include <atomic>
#include <thread>

#include "export/export_run.h"

class BackgroundExport {
 public:
  using Done = std::function<void(const ExportSummary&)>;

  // Starts at once.
  BackgroundExport(std::vector<DataFileEntry> files, std::string target, ExportFormat format,
                   ExportProgress progress, Done done, ProtocolId protocol = ProtocolId::Liczba);
  // Cancels an export that still runs and waits for its thread.
  ~BackgroundExport();
  BackgroundExport(const BackgroundExport&) = delete;
  BackgroundExport& operator=(const BackgroundExport&) = delete;

  // The export stops at its next line and writes nothing; `done` still runs.
  void Cancel() { cancel_ = true; }

 private:
  std::atomic<bool> cancel_{false};
  std::thread thread_;
};
