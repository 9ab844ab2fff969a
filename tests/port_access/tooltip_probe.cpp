// Starts the main window in the folder given and prints status panel 1 and
// its tooltip (UTF-8), then closes it.

#include <QApplication>
#include <QLabel>
#include <cstdio>

#include "app/form1.h"
#include "tests/support/ui/scripted_dialogs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tooltip_probe WORKING_DIRECTORY\n");
    return 2;
  }
  QApplication app(argc, argv);
  ScriptedDialogs dialogs;
  TForm1Environment environment;
  environment.dialogs = &dialogs;
  environment.freeSpace = [] { return std::int64_t{1} << 40; };
  environment.workingDirectory = argv[1];
  environment.instanceMarkerPath = std::string(argv[1]) + "/ApplicationTestMap";
  environment.showException = [](const std::string& message) {
    std::fprintf(stderr, "exception: %s\n", message.c_str());
  };
  TForm1 form(environment);
  std::printf("%s\n%s\n", form.StatusPanel(1)->text().toUtf8().constData(),
              form.StatusPanel(1)->toolTip().toUtf8().constData());
  return 0;
}
