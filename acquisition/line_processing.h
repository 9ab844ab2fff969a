#pragma once

// What happens to one complete line from the scale: the display, the
// preview, the data file, and the time of the last line.

#include <optional>
#include <string>

#include "acquisition/acquisition_state.h"
#include "acquisition/scale_screen.h"

// Stamps LastLineTime and reads the line with the port's protocol
// (state.Protocol). A reading shows in the display with its unit and, by the
// settings, goes to the preview and the data file as received; so does a
// status, which shows as a word where it says something about the weighing
// (overload, underload, the scale's error). Any other line, with the date
// suffix when it is a balance record and "Data bilansu" is on, goes into the
// preview and the data file and blanks the display. Then LineClassified
// hears how the line was read.
// A failed data file write switches "Zapis do pliku" off at once and leaves
// the error message pending (see ShowPendingMessages): this runs inside a
// serial delivery, which must return before anything modal is shown.
void ProcessScaleLine(const std::string& line, ScaleScreen& screen, AcquisitionState& state);

// The display's word for a status; none for those that leave the display
// as it is (busy, done, accepted, replies to tare and zero). Windows-1250.
std::optional<std::string> StatusWord(const ScaleStatus& status);

// Shows "- - - - -": no reading, the unit of the settings, black.
void ShowNoReading(ScaleScreen& screen, AcquisitionState& state);

// Shows the data file error message if one is pending. Call it after the
// serial delivery that processed the lines has returned.
void ShowPendingMessages(ScaleScreen& screen, AcquisitionState& state);
