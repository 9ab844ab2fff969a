#pragma once

// Joins the bytes that the serial port delivers into lines.

#include <cstddef>

#include "acquisition/acquisition_state.h"
#include "acquisition/scale_port.h"
#include "acquisition/scale_screen.h"

// A line without a line feed is processed as it stands once it reaches this
// many bytes, and a new line begins; memory stays bounded on a stream that
// never ends a line, and nothing is dropped.
inline constexpr std::size_t kMaxPendingLine = 65536;

// The OnRxChar handler: reads up to `count` waiting bytes and hands every
// line completed by a line feed to ProcessScaleLine. Carriage returns are
// dropped; a partial line waits in PendingLine for the next delivery.
// A failed read ends the handler silently, its bytes lost.
void ComPortDriver_inRxChar(int count, ScalePort& port, ScaleScreen& screen,
                            AcquisitionState& state);
