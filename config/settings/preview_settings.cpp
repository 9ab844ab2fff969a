#include "config/settings/preview_settings.h"

#include <optional>

#include "text/number_text.h"
#include "text/win1250.h"
#include "view/dialogs.h"

bool EmaxlinieAccept(PreviewPage& page, Dialogs& dialogs) {
  const std::optional<std::int32_t> lines = TextToInt(page.Emaxlinie());
  if (!lines) {
    dialogs.ShowMessage(MessageKind::Error, Utf8ToCp1250("Podana wartość nie jest prawidłowa!"));
    return false;
  }
  if (*lines > kMaxPreviewLines || *lines < kMinPreviewLines) {
    dialogs.ShowMessage(MessageKind::Error,
                        Utf8ToCp1250("Ilość linii musi być liczbą z przedziału ") +
                            std::to_string(kMinPreviewLines) + "-" +
                            std::to_string(kMaxPreviewLines) + ".");
    return false;
  }
  const int count = page.PreviewLineCount();
  if (*lines < count) page.DeleteFirstPreviewLines(count - *lines + 1);
  page.SetMaxPreviewLines(*lines);
  return true;
}

void BwyczyscConfirm(PreviewPage& page, Dialogs& dialogs) {
  if (dialogs.Confirm(Utf8ToCp1250("Czy napewno wyczyścić okno z raportami\r(i tym samym bufor "
                                   "informacji do wydruku)?"))) {
    page.ClearPreview();
  }
}
