#pragma once

// waga-ports --detect: the search for the scale's speed, line format and
// protocol on a port, and with --apply the settings written where Waga
// reads them.

#include <ostream>

#include "ports/scale_detection.h"
#include "tools/waga-ports/ports_options.h"

// Writes what was found: the line format into porty.ini's line of the port,
// the protocol into protokol.ini and, unless Waga runs (`programRuns`), the
// speed into konfig.ini, all in `dir`. Says in Polish what it wrote; false
// when a file could not be written.
bool ApplyDetection(const std::string& dir, const std::string& port, const DetectionResult& found,
                    bool programRuns, std::ostream& out);

// Searches options.port in the working directory (porty.ini there); returns
// the exit code: 0 found, 1 nothing found or the port unusable.
int Detect(const PortsOptions& options, std::ostream& out);
