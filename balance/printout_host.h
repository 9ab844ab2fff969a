#pragma once

// What the printouts need of the main window: the preview, the company
// header setting and texts, the message boxes and a print stream.

#include <memory>
#include <string>

#include "balance/print_stream.h"
#include "platform/dialogs.h"

class PrintoutHost {
 public:
  virtual ~PrintoutHost() = default;

  // Lines of the preview, numbered from 0 (Windows-1250 texts). The count
  // leaves out a final empty line after the last line break.
  virtual int PreviewLineCount() const = 0;
  // Line `index` of the preview; an index outside it gives the empty text.
  virtual std::string PreviewLine(int index) const = 0;

  // "Drukuj nagłówek z nazwą firmy" (CBdruk_nazwafirmy) is checked.
  virtual bool PrintCompanyHeader() const = 0;
  virtual std::string CompanyName() const = 0;
  virtual std::string CompanyAddress() const = 0;

  virtual Dialogs& Messages() = 0;
  // A new, not yet opened stream on the default printer.
  virtual std::unique_ptr<PrintStream> NewPrintStream() = 0;
};
