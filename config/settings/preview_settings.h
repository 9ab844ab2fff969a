#pragma once

// Page "Podgląd": the preview limit and the clearing of the preview.

#include <cstdint>
#include <string>

#include "view/preview.h"

class Dialogs;

inline constexpr std::int32_t kMinPreviewLines = 10;
inline constexpr std::int32_t kMaxPreviewLines = 5000;

// What the page's commands see of the main window. Texts are Windows-1250.
// Mraport, the preview, comes with its own interface.
class PreviewPage : public Preview {
 public:
  // The limit field's text.
  virtual std::string Emaxlinie() const = 0;
  // The accepted limit, MaxPreviewLines.
  virtual void SetMaxPreviewLines(std::int32_t lines) = 0;
};

// Leaving the limit field: an integer of 10 to 5000 becomes the limit and
// trims the preview to one line below it, the newest lines kept, so that the
// next line fills it. Anything else is refused with its message and changes
// nothing; false then, and the caller puts the focus back into the field.
bool EmaxlinieAccept(PreviewPage& page, Dialogs& dialogs);

// "Wyczyść": empties the preview after the user confirms.
void BwyczyscConfirm(PreviewPage& page, Dialogs& dialogs);
