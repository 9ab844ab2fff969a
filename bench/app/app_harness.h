#pragma once

// The real main window on the offscreen platform, for the benchmarks and the
// soak: a temporary working directory with a konfig.ini and a porty.ini, the
// scale on a pseudo-terminal, and the event loop served until a condition.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/ui/scripted_dialogs.h"

class QTemporaryDir;
class TForm1;

struct HarnessSettings {
  std::int32_t maxPreviewLines = 5000;
  bool showReadings = true;   // "Wyświetlaj display"
  bool writeReadings = true;  // "Zapisuj display"
  bool balanceDate = false;   // "Data bilansu": off keeps the data file equal to what was sent
};

class AppHarness {
 public:
  explicit AppHarness(const HarnessSettings& settings);
  ~AppHarness();
  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  const std::string& Dir() const { return dir_; }
  // Maps COM2 to `device` in porty.ini; the next open of the port uses it.
  void MapPort(const std::string& device);
  // Constructs the main window (its start-up connects to the scale).
  void Start();
  // Destroys the main window (closes the port).
  void Stop();
  TForm1& Form() { return *form_; }
  ScriptedDialogs& Boxes() { return dialogs_; }

  std::string DataFilePath() const;
  std::uintmax_t DataFileSize() const;

  // Serves the event loop (and so the serial hand-off) until `done` holds;
  // `done` is checked after every batch of events and at least every 5 ms.
  // False when `timeout` passed first.
  static bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Serves the event loop for `period`.
  static void ServeFor(std::chrono::milliseconds period);

 private:
  std::unique_ptr<QTemporaryDir> work_;
  std::string dir_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<TForm1> form_;
};

// An open pseudo-terminal whose master end the harness writes as the scale.
class PtyScale {
 public:
  PtyScale();  // throws std::runtime_error
  ~PtyScale();
  PtyScale(const PtyScale&) = delete;
  PtyScale& operator=(const PtyScale&) = delete;
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // Closes the master end: the port sees a hang-up.
  void HangUp();

 private:
  int master_ = -1;
  std::string slavePath_;
};

// Process CPU time (all threads), in seconds.
double ProcessCpuSeconds();
// A "Vm..." field of /proc/self/status in KiB ("VmRSS", "VmHWM").
long ProcessMemoryKiB(const char* field);
// Sets QT_QPA_PLATFORM=offscreen unless set; call before QApplication.
void UseOffscreenPlatform();
