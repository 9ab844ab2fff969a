#pragma once

#include <ctime>

// The local calendar time of `t`, by the system's thread-safe conversion.
std::tm LocalTime(std::time_t t);
