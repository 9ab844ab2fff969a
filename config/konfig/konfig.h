#pragma once

// "konfig.ini": the user's settings from one run to the next. Twelve lines of
// key "=" value in Windows-1250, CR LF line ends, in the working directory.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "serial/baud_rate.h"

inline constexpr const char* kKonfigFileName = "konfig.ini";

// The settings that the file carries. The main window fills it from its
// controls and shared values, hands it to LoadKonfig or SaveKonfig and applies
// it back; the members are named after what they stand for in the window.
struct KonfigSettings {
  std::string Port = "COM2";            // ComPortDriver_in, "COM1".."COM16"
  TBaudRate BaudRate = br1200;          // ComPortDriver_in
  std::string CompanyName = "<firma>";
  std::string CompanyAddress = "<adres>";
  bool CBzapis = true;                  // "Zapis do pliku"
  bool CBciaglyplik = false;            // "Zapisuj display"
  bool CBciaglymemo = false;            // "Wyświetlaj display"
  std::string Emaxlinie = "300";        // the limit field's text, written verbatim
  std::int32_t MaxPreviewLines = 300;   // the accepted limit, set on reading
  bool RBautoucinaj = true;             // "kasuj początek"; false: "wyczyść całość"
  bool CBdruk_nazwafirmy = true;        // "Drukuj nagłówek z nazwą firmy"
  bool CBdata_bilansu = true;           // "Data bilansu"
  std::string Ljednost = "kg";          // the unit under the display
};

// An existing "konfig.ini" that could not be opened or read; what() carries
// the system's reason.
class KonfigReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Applies every accepted line of the file to `settings`, each the moment it
// is read; a missing file changes nothing. Throws KonfigReadError when the
// file exists but cannot be read; the lines applied before stay applied.
void LoadKonfig(KonfigSettings& settings, const std::string& path = kKonfigFileName);

// Applies the lines of a file's content (as LoadKonfig does after reading).
void ApplyKonfigText(KonfigSettings& settings, const std::string& content);

// The twelve lines that SaveKonfig writes.
std::string KonfigText(const KonfigSettings& settings);

// Rewrites the file from `settings` through a temporary file beside it that
// is renamed over it, so the file is never left half-written. A file or
// folder that cannot be written leaves the old file as it was; nothing is
// reported.
void SaveKonfig(const KonfigSettings& settings, const std::string& path = kKonfigFileName);
