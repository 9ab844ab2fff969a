#pragma once

// What happens to one complete line from the scale: the display, the
// preview, the data file, and the time of the last line.

#include <string>

#include "acquisition/acquisition_state.h"
#include "acquisition/scale_screen.h"

// Stamps LastLineTime; shows a reading (a bare number) in the display and,
// by the settings, in the preview and the data file; puts any other line,
// with the date suffix when it is a balance record and "Data bilansu" is on,
// into the preview and the data file and blanks the display.
// A failed data file write switches "Zapis do pliku" off at once and leaves
// the error message pending (see ShowPendingMessages): this runs inside a
// serial delivery, which must return before anything modal is shown.
void ProcessScaleLine(const std::string& line, ScaleScreen& screen, AcquisitionState& state);

// Shows the data file error message if one is pending. Call it after the
// serial delivery that processed the lines has returned.
void ShowPendingMessages(ScaleScreen& screen, AcquisitionState& state);
