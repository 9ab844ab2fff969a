#pragma once

#include <memory>
#include <string>

#include "tools/waga-sim/sim_link.h"

// A pseudo-terminal when `device` is empty, else that serial device; `baud`
// 0: no pacing.
std::unique_ptr<SimLink> OpenTtyLink(const std::string& device, int baud, std::string& error);
