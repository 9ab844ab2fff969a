#pragma once

// What line processing and connection supervision see of the main window:
// the display, the preview (Preview), the settings check boxes, the data file name and
// status panel 1. The main window implements it over its widgets; tests with
// a plain struct. All texts are Windows-1250.

#include <cstdint>
#include <string>

#include "view/preview.h"

class Dialogs;

// Mraport, the preview, comes with its own interface.
class ScaleScreen : public Preview {
 public:

  // Ldisplay caption.
  virtual std::string DisplayCaption() const = 0;
  virtual void SetDisplayCaption(const std::string& text) = 0;
  // Ljednost: the unit that the shown reading carries; the empty text puts
  // back the unit of the settings (konfig.ini's Jednostka).
  virtual void SetDisplayUnit(const std::string& unit) { static_cast<void>(unit); }
  // A reading in motion is drawn so that it shows from across the room
  // (grey digits); anything else black.
  virtual void SetDisplayInMotion(bool motion) { static_cast<void>(motion); }
  // The display shows a word (a status), which must fit however long.
  virtual void SetDisplayShowsWord(bool word) { static_cast<void>(word); }

  // The preview limit (MaxPreviewLines, 10 to 5000).
  virtual std::int32_t MaxPreviewLines() const = 0;

  // "Wyświetlaj display": readings also go to the preview.
  virtual bool CBciaglymemo() const = 0;
  // "Zapis do pliku": the data file is written. Line processing switches it
  // off after a failed write; that must not count as a user's click.
  virtual bool CBzapis() const = 0;
  virtual void SetCBzapis(bool checked) = 0;
  // "Zapisuj display": readings also go to the data file.
  virtual bool CBciaglyplik() const = 0;
  // "Data bilansu": balance records get the reception date and time.
  virtual bool CBdata_bilansu() const = 0;
  // "kasuj początek" (true) or "wyczyść całość" (false) when the preview is full.
  virtual bool RBautoucinaj() const = 0;
  // The data file name as the field shows it.
  virtual std::string Enazwapliku() const = 0;

  // Status bar panel 1 and its tooltip: the device the port maps to and
  // what is wrong with it. The tooltip, beyond the program's own texts, is
  // UTF-8 (it names arrows and device paths that Windows-1250 lacks).
  virtual void SetStatusPanel1(const std::string& text) = 0;
  virtual void SetStatusPanel1Hint(const std::string& utf8Text) = 0;
  // Status bar panel 2: the scale's replies to the commands of the keyboard.
  // A screen without one shows nothing.
  virtual void SetStatusPanel2(const std::string&) {}

  // Message boxes.
  virtual Dialogs& Messages() = 0;
};
