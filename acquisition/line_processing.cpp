#include "acquisition/line_processing.h"

#include "acquisition/connection_supervision.h"
#include "acquisition/data_file.h"
#include "text/clock.h"
#include "protocols/scale_protocol.h"
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

// The display's caption, unit and look at once; `reading` is the reading
// shown, or none for anything else.
void ShowOnDisplay(const std::string& caption, const ScaleReading* reading, ScaleScreen& screen,
                   AcquisitionState& state, bool word = false) {
  screen.SetDisplayShowsWord(word);
  screen.SetDisplayCaption(caption);
  screen.SetDisplayUnit(reading != nullptr ? reading->unit : std::string());
  screen.SetDisplayInMotion(reading != nullptr && reading->stability == Stability::Motion);
  if (reading != nullptr) {
    state.ShownReading = *reading;
  } else {
    state.ShownReading.reset();
  }
}

}  // namespace

void ProcessScaleLine(const std::string& line, ScaleScreen& screen, AcquisitionState& state) {
  const TDateTime now = Now();
  state.LastLineTime = now;
  const ClassifiedLine classified = ClassifyLine(state.Protocol.protocol, line);

  if (classified.kind == LineKind::Text) {
    ApplyPreviewLimit(screen);
    std::string text = line;
    BalanceRecord record;
    if (screen.CBdata_bilansu() && ParseBalanceRecord(line, record)) text += DateSuffix(now);
    screen.AddPreviewLine(text);
    ShowOnDisplay(std::string(), nullptr, screen, state);
    if (screen.CBzapis()) AppendToDataFile(text, screen, state);
  } else {
    if (classified.kind == LineKind::Reading) {
      ShowOnDisplay(classified.reading.value, &classified.reading, screen, state);
    } else if (const std::optional<std::string> word = StatusWord(classified.status)) {
      ShowOnDisplay(*word, nullptr, screen, state, true);
    }
    if (screen.CBciaglymemo()) {
      ApplyPreviewLimit(screen);
      screen.AddPreviewLine(line);
    }
    if (screen.CBzapis() && screen.CBciaglyplik()) AppendToDataFile(line, screen, state);
  }
  if (state.LineClassified) state.LineClassified(classified);
}

std::optional<std::string> StatusWord(const ScaleStatus& status) {
  // Replies to tare and zero, and a scale that is busy or has taken a
  // command, leave the display as it is: they go to the status bar.
  if (status.command == ScaleCommand::Tare || status.command == ScaleCommand::Zero) return std::nullopt;
  switch (status.kind) {
    case StatusKind::Overload: return Utf8ToCp1250("Przeciążenie");
    case StatusKind::Underload: return Utf8ToCp1250("Niedociążenie");
    case StatusKind::Error: return Utf8ToCp1250("Błąd wagi: ") + status.code;
    case StatusKind::Busy:
    case StatusKind::Done:
    case StatusKind::Accepted: break;
  }
  return std::nullopt;
}

void ShowNoReading(ScaleScreen& screen, AcquisitionState& state) {
  ShowOnDisplay(kNoReadingMark, nullptr, screen, state);
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
