#pragma once

// The transmission parameters dialog's choices: item i of the port group is
// "COM" + (i + 1); item i of the speed group is the offered speed i, from
// br110 (ordinal 1) to br115200.

#include <string>

#include "serial/baud_rate.h"

class TCustomComPort;

inline constexpr int kPortItems = 16;
inline constexpr int kSpeedItems = kOfferedRateCount;

// The item that shows the current setting; -1 when no item stands for it.
int PortItemIndex(const std::string& port);
int SpeedItemIndex(TBaudRate rate);

// Closes the port if it is open (a failing close is passed over) and sets
// the chosen port and speed; an index without an item (-1) keeps that
// setting. The caller then opens the port again.
void ApplyTransmissionChoice(TCustomComPort& port, int portItem, int speedItem);
