#pragma once

// What the status bar says about the shipping (UTF-8): the panel's short
// text and the tooltip with the cause and what to do about it.

#include <string>

#include "database/shipper.h"

// "baza: na bieżąco", "baza: 1 204 linii czeka", "baza: brak połączenia".
std::string DatabasePanelText(const ShipperStatus& status);
std::string DatabaseTooltip(const ShipperStatus& status, const std::string& station);
// The cause of a failure and its cure, in a sentence or two.
std::string FaultAdvice(DatabaseFault fault, const std::string& message);
// 1204 as "1 204".
std::string GroupedCount(long long count);
