#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tools/waga-sim/sim_link.h"

// Serves the scale on a TCP port of `address` (port 0: one the system
// picks), the bytes as they are or, with `comPortControl`, as Telnet with
// the COM port control option. One client at a time: another one is turned
// away while one is served. What is sent while nobody is connected is lost,
// as on a serial server whose client is gone; a client that leaves does not
// stop the simulator. `baud` 0: no pacing.
std::unique_ptr<SimLink> OpenTcpLink(const std::string& address, std::uint16_t port, bool comPortControl,
                                     int baud, std::string& error);
