#include "config/settings/data_file_settings.h"

#include <filesystem>
#include <system_error>

#include "acquisition/data_file.h"
#include "text/win1250.h"
#include "view/dialogs.h"

namespace {

// A folder of that name is no data file, although nothing needs creating.
bool IsFolder(const std::string& name) {
  std::error_code ignored;
  return std::filesystem::is_directory(std::filesystem::path(Cp1250ToUtf8(name)), ignored);
}

}  // namespace

void CBzapisToggle(DataFilePage& page, Dialogs& dialogs) {
  if (page.CBzapis()) {
    if (dialogs.Confirm(Utf8ToCp1250("Czy jesteś pewny że chcesz wyłączyć zapisywanie do pliku?"))) {
      page.SetCBzapis(false);
    }
    return;
  }
  const std::string name = page.Enazwapliku();
  if (IsFolder(name) || !CreateDataFileIfMissing(name)) {
    dialogs.ShowMessage(MessageKind::Error,
                        Utf8ToCp1250("Błąd zapisu do pliku!\rPrawdopodobnie nieprawidłowa ścieżka "
                                     "do pliku\rlub brak miejsca na dysku."));
    return;
  }
  page.SetCBzapis(true);
}

void BzmienplikChoose(DataFilePage& page, Dialogs& dialogs) {
  if (page.CBzapis()) {
    if (!dialogs.Confirm(Utf8ToCp1250("Aby zmienić nazwę pliku, należy wyłączyć \"zapis do "
                                      "pliku\".\rCzy napewno wyłączyć \"zapis do pliku\"?"))) {
      return;
    }
    page.SetCBzapis(false);
  }
  // After a choice the field holds it, so the dialog offers the last name
  // chosen; before any, the data file of the day.
  const std::optional<std::string> chosen = dialogs.SaveFileName(page.Enazwapliku());
  if (!chosen) return;
  // The dialog turns characters that Windows-1250 lacks into '?', a
  // character no file name of this program can hold: such a name would
  // point at another file than the one chosen.
  if (chosen->empty() || chosen->find('?') != std::string::npos) {
    dialogs.ShowMessage(MessageKind::Error,
                        Utf8ToCp1250("Nazwa pliku zawiera znaki, których program nie obsługuje.\r"
                                     "Wybierz inną nazwę pliku."));
    return;
  }
  page.SetEnazwapliku(*chosen);
}
