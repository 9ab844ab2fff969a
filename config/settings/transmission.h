#pragma once

// The transmission parameters dialog's choices: item i of the port group is
// "COM" + (i + 1); item i of the speed group is the offered speed i, from
// br110 (ordinal 1) to br115200.

#include <optional>
#include <string>

#include "protocols/protocol_settings.h"
#include "protocols/scale_protocol.h"
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

// The protocol group under the port and the speed. Item i of the protocol
// list is kProtocolIds[i], shown by the shape of its lines (UTF-8).
std::string ProtocolItemText(ProtocolId protocol);

// What the group's fields hold, as the user typed them (Windows-1250).
struct ProtocolChoice {
  int protocolItem = 0;
  std::string requestText;   // "Zapytanie", with \r \n \t \\ \xHH escapes
  std::string intervalText;  // "Co ile ms": 0, or 50 and more
};

// The fields as the dialog shows them for `settings`.
ProtocolChoice ProtocolChoiceOf(const PortProtocolSettings& settings);
// The settings the fields stand for, `base` giving what the group does not
// show; none, with a Polish reason (UTF-8), for a bad escape or interval.
std::optional<PortProtocolSettings> ReadProtocolChoice(const ProtocolChoice& choice,
                                                       const PortProtocolSettings& base,
                                                       std::string& reason);
