#pragma once

// Text forms of the component's settings, as the settings store writes and
// reads them, and the port-name normalisation. Text-to-value conversions
// ignore letter case and fall back to a fixed value when nothing matches.

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/com_types.h"

std::string BaudRateToText(TBaudRate value);
std::string StopBitsToText(TStopBits value);
std::string DataBitsToText(TDataBits value);
std::string ParityToText(TParityBits value);
std::string FlowControlToText(TFlowControl value);
std::string DTRControlToText(TDTRFlowControl value);
std::string RTSControlToText(TRTSFlowControl value);

TBaudRate TextToBaudRate(std::string_view text);              // no match: br9600
TStopBits TextToStopBits(std::string_view text);              // no match: sbOneStopBit
TDataBits TextToDataBits(std::string_view text);              // no match: dbEight
TParityBits TextToParity(std::string_view text);              // no match: prNone
TFlowControl TextToFlowControl(std::string_view text);        // no match: fcCustom
TDTRFlowControl TextToDTRControl(std::string_view text);      // no match: dtrDisable
TRTSFlowControl TextToRTSControl(std::string_view text);      // no match: rtsDisable

// "Yes" or "No"; only "YES" in any letter case reads as true.
std::string BoolToText(bool value);
bool TextToBool(std::string_view text);

// Codes 33 to 127 as the character itself, every other code as "#<code>".
std::string CharToText(char value);
// "" gives code 0; "#<n>" the low byte of n (0 when n is not a number);
// anything else its first character.
char TextToChar(std::string_view text);

// The device event mask of a set of events, and the events of a mask (bits
// that stand for no event are ignored).
std::uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(std::uint32_t mask);

// Equal texts when ASCII letter case is ignored.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// "COM1" to "COM16": the number after an optional "COM" (any letter case);
// anything that is not a number from 1 to 16 gives "COM1".
std::string NormalizePortName(std::string_view text);
