#pragma once

// Values shared by line assembly, line processing and supervision. The main
// window owns one and touches it on the user-interface thread only.

#include <functional>
#include <optional>
#include <string>

#include "ports/port_mapping.h"
#include "protocols/protocol_settings.h"
#include "protocols/scale_protocol.h"
#include "text/clock.h"

struct AcquisitionState {
  // Bytes received since the last line feed, carriage returns left out.
  std::string PendingLine;
  // When the last line was processed (or start-up).
  TDateTime LastLineTime = 0;
  // A data file write failed inside a serial delivery; the message is shown
  // by ShowPendingMessages once that delivery has returned.
  bool DataFileMessagePending = false;
  // Called when a message becomes pending. The main window posts a call of
  // ShowPendingMessages to its event loop here: it must not show anything
  // before the delivery that is running now has returned.
  std::function<void()> MessagePending;
  // Message of the last exception raised by the port (open, close or read).
  std::string LastPortError;
  // The mapping the port was last opened with (no path while it never was),
  // for status panel 1's tooltip.
  PortMapping OpenedMapping;
  // The protocol settings of the open port, from protokol.ini at start-up
  // and whenever the transmission dialog changes the port or its protocol.
  PortProtocolSettings Protocol;
  // Called by ProcessScaleLine once a line has been processed (display,
  // preview, data file), with how the port's protocol read it, text
  // included. It must not process lines itself: a caller that wants to add
  // lines defers them to after the delivery.
  std::function<void(const ClassifiedLine&)> LineClassified;
  // The reading the display shows now; empty while it shows anything else
  // (blank after text, "- - - - -", a status word).
  std::optional<ScaleReading> ShownReading;
  // True while the transmission dialog searches for the scale: the port is
  // lent to the search, and the supervision leaves it closed.
  bool DetectionRunning = false;
};
