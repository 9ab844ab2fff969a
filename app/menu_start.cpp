#include "app/menu_start.h"

#include "text/win1250.h"
#include "platform/qt_dialogs.h"
#include "platform/working_folder.h"

bool EnterWorkingFolderOfMenuStart(int argc, char** argv) {
  const std::optional<std::string> error = EnterMenuWorkingFolder(argc, argv);
  if (!error) return true;
  QtDialogs().ShowMessage(MessageKind::Error,
                          Utf8ToCp1250(*error + "\rProgram zostanie zamknięty."));
  return false;
}
