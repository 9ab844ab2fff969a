#include <iostream>

#include "app/about_box.h"
#include "app/form1.h"
#include "app/information_switches.h"
#include "app/menu_start.h"
#include "app/waga_application.h"
#include "config/ui/form_ustaw.h"
#include "platform/close_on_signals.h"

int main(int argc, char* argv[]) {
  if (const auto answered = AnswerInformationSwitches(argc, argv, std::cout)) return *answered;
  WagaApplication app(argc, argv);
  if (!EnterWorkingFolderOfMenuStart(argc, argv)) return 1;

  // The main window first: its start-up runs before any other window exists.
  auto* form1 = new TForm1;
  form1->SetFormUstaw(new TFormUstaw(form1));
  form1->SetAboutBox(new TAboutBox(form1));

  int result = 0;
  if (!form1->TerminateRequested()) {
    CloseOnTerminationSignals(form1);
    form1->show();
    result = app.exec();
  }
  delete form1;
  return result;
}
