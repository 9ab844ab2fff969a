#include "acquisition/line_processing.h"

#include "acquisition/data_file.h"
#include "text/clock.h"
#include "text/number_text.h"
#include "text/umy_fun.h"
#include "text/win1250.h"
#include "balance/balance_record.h"
#include "view/dialogs.h"

namespace {

// Before a line is added: a full preview loses its first line or everything.
void ApplyPreviewLimit(ScaleScreen& screen) {
  const int count = screen.PreviewLineCount();
  if (count < screen.MaxPreviewLines()) return;
  if (screen.RBautoucinaj()) {
    if (count > 0) screen.DeleteFirstPreviewLines(1);
  } else {
    screen.ClearPreview();
  }
}

void AppendToDataFile(const std::string& text, ScaleScreen& screen, AcquisitionState& state) {
  if (AppendDataFileLine(screen.Enazwapliku(), text)) return;
  screen.SetCBzapis(false);
  if (state.DataFileMessagePending) return;
  state.DataFileMessagePending = true;
  if (state.MessagePending) state.MessagePending();
}

}  // namespace

void ProcessScaleLine(const std::string& line, ScaleScreen& screen, AcquisitionState& state) {
  const TDateTime now = Now();
  state.LastLineTime = now;

  if (IsReading(line)) {
    screen.SetDisplayCaption(CommaToPoint(StripSpaces(line)));
    if (screen.CBciaglymemo()) {
      ApplyPreviewLimit(screen);
      screen.AddPreviewLine(line);
    }
    if (screen.CBzapis() && screen.CBciaglyplik()) AppendToDataFile(line, screen, state);
    return;
  }

  ApplyPreviewLimit(screen);
  std::string text = line;
  BalanceRecord record;
  if (screen.CBdata_bilansu() && ParseBalanceRecord(line, record)) text += DateSuffix(now);
  screen.AddPreviewLine(text);
  screen.SetDisplayCaption(std::string());
  if (screen.CBzapis()) AppendToDataFile(text, screen, state);
}

void ShowPendingMessages(ScaleScreen& screen, AcquisitionState& state) {
  if (!state.DataFileMessagePending) return;
  // Cleared first: lines delivered while the box is open may fail again only
  // after the user has switched writing back on, and then deserve a box.
  state.DataFileMessagePending = false;
  screen.Messages().ShowMessage(
      MessageKind::Error,
      Utf8ToCp1250("Błąd zapisu do pliku! Prawdopodobnie brak miejsca na dysku!"));
}
