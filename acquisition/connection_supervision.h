#pragma once

// Keeps the connection to the scale alive and reports it in status panel 1.

#include <string>

#include "acquisition/acquisition_state.h"
#include "acquisition/scale_port.h"
#include "acquisition/scale_screen.h"
#include "text/clock.h"

// The display's no-reading mark.
inline constexpr const char* kNoReadingMark = "- - - - -";
// Age of the last line, in days, beyond which the display shows the mark
// (3.03264 s); only a strictly greater age counts.
inline constexpr TDateTime kStaleLineAge = 3.51e-5;

// Status panel 1 texts (Windows-1250).
std::string ConnectedStatusText(const std::string& port, TBaudRate rate);
std::string NotConnectedStatusText(const std::string& port, TBaudRate rate);
std::string ClosingStatusText();
std::string SearchStatusText(const std::string& port);

// Opens the port and writes the outcome into status panel 1, and into the
// panel's tooltip the device the port maps to and, after a failure, what
// the system said and what to do. Never throws.
void ConnectScalePort(ScalePort& port, ScaleScreen& screen, AcquisitionState& state);

// The 2000 ms supervision tick: cycles the port while the display shows the
// mark, reopens a closed port, and sets the mark once no line has come for
// longer than kStaleLineAge. The tooltip of an open port says how long the
// scale has been silent. Does nothing while the port is lent to a search for
// the scale. Never throws.
void Timer1Timer(ScalePort& port, ScaleScreen& screen, AcquisitionState& state);

// A search for the scale ("Wykryj") borrows the port: it is closed, panel 1
// says so, and the supervision leaves it alone until it is taken back and
// reopened. Never throw.
void LendPortToSearch(ScalePort& port, ScaleScreen& screen, AcquisitionState& state);
void TakePortBackFromSearch(ScalePort& port, ScaleScreen& screen, AcquisitionState& state);

// The tooltip text for a failure of the port (looks at the system).
std::string PortFailureHint(const ScalePort& port, const AcquisitionState& state,
                            const PortProblem& problem);
