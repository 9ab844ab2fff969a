#pragma once

// What the printouts need of the main window: the preview, the company
// header setting and texts, the message boxes and a print stream.

#include <memory>
#include <string>

#include "balance/print_stream.h"
#include "view/dialogs.h"
#include "view/preview.h"

// Mraport, the preview, comes with its own interface; the printouts only
// read it.
class PrintoutHost : public Preview {
 public:
  // "Drukuj nagłówek z nazwą firmy" (CBdruk_nazwafirmy) is checked.
  virtual bool PrintCompanyHeader() const = 0;
  virtual std::string CompanyName() const = 0;
  virtual std::string CompanyAddress() const = 0;

  virtual Dialogs& Messages() = 0;
  // A new, not yet opened stream on the default printer.
  virtual std::unique_ptr<PrintStream> NewPrintStream() = 0;
};
