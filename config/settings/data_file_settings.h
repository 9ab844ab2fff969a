#pragma once

// Page "Plik": switching the data file on and off and choosing its name.

#include <string>

class Dialogs;

// What the page's commands see of the main window. Texts are Windows-1250.
class DataFilePage {
 public:
  virtual ~DataFilePage() = default;

  // "Zapis do pliku", set without counting as a click.
  virtual bool CBzapis() const = 0;
  virtual void SetCBzapis(bool checked) = 0;
  // The data file name as the field shows it.
  virtual std::string Enazwapliku() const = 0;
  virtual void SetEnazwapliku(const std::string& name) = 0;
};

// A left press (or Space) on "Zapis do pliku", settled here in full: turning
// writing off asks first; turning it on makes sure the file exists (an
// existing file is left as it is) and refuses when it cannot be created.
void CBzapisToggle(DataFilePage& page, Dialogs& dialogs);

// "Zmień nazwę...": writing is switched off (after a question when it was
// on), then the save dialog's choice becomes the file name. The name is
// neither tested nor created here; switching writing on does that.
void BzmienplikChoose(DataFilePage& page, Dialogs& dialogs);
