// The print buttons of page "Bilans".

#include <QCheckBox>

#include "app/form1.h"
#include "app/memo_preview.h"
#include "app/waga_application.h"
#include "balance/printouts.h"
#include "platform/qt_print_stream.h"

namespace {

// The preview, the company header and the printer as the printouts see them.
class Form1PrintoutHost final : public MemoPreview<PrintoutHost> {
 public:
  Form1PrintoutHost(TForm1& form, std::function<std::unique_ptr<PrintStream>()> newStream)
      : MemoPreview(*form.Mraport()), form_(form), newStream_(std::move(newStream)) {}

  bool PrintCompanyHeader() const override { return form_.CBdruk_nazwafirmy()->isChecked(); }
  std::string CompanyName() const override { return form_.CompanyName(); }
  std::string CompanyAddress() const override { return form_.CompanyAddress(); }
  Dialogs& Messages() override { return form_.UserDialogs(); }
  std::unique_ptr<PrintStream> NewPrintStream() override {
    if (newStream_) return newStream_();
    return std::make_unique<QtPrintStream>();
  }

 private:
  TForm1& form_;
  std::function<std::unique_ptr<PrintStream>()> newStream_;
};

}  // namespace

void TForm1::BBdrukujClick() {
  Form1PrintoutHost host(*this, environment_.printStream);
  RunCommand([&host] { ::BBdrukujClick(host); });
}

void TForm1::BBdrukuj_bilansClick() {
  Form1PrintoutHost host(*this, environment_.printStream);
  RunCommand([&host] { ::BBdrukuj_bilansClick(host); });
}

void TForm1::BBdrukuj_szczbilansClick() {
  Form1PrintoutHost host(*this, environment_.printStream);
  RunCommand([&host] { ::BBdrukuj_szczbilansClick(host); });
}

// Qt lets no exception pass through its event loop: one that ends a command
// is shown here, where the application's own handler would show it.
void TForm1::RunCommand(const std::function<void()>& command) {
  std::string message;
  try {
    command();
    return;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = UnknownErrorText();
  }
  if (environment_.showException) {
    environment_.showException(message);
  } else {
    ShowStandardException(message);
  }
}
