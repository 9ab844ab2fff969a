#pragma once

// Enumerations and sets of the serial port component. The ordinals are stored
// and compared, so the order of every enumeration is fixed.

#include <cstdint>

#include "serial/baud_rate.h"
#include "serial/enum_set.h"

enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };

enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };

enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };

enum TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };

enum TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

// The flow-control preset, derived from the flow-control fields.
enum TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };

enum TComEvent : std::uint8_t {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full,
};
using TComEvents = TEnumSet<TComEvent, std::uint16_t>;
inline constexpr TComEvents AllComEvents = TComEvents::FromBits(0x03FF);

// How device events reach the handlers.
enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone };

// Groups of settings that the settings store writes and reads.
enum TStoredGroup : std::uint8_t { sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgMisc };
using TStoredGroups = TEnumSet<TStoredGroup, std::uint8_t>;

// Modem input lines that are on.
enum TModemSignal : std::uint8_t { msCTS, msDSR, msRing, msRLSD };
using TModemSignals = TEnumSet<TModemSignal, std::uint8_t>;

// Line errors reported by the device.
enum TComError : std::uint8_t {
  ceFraming,
  ceParity,
  ceOverrun,
  ceBreak,
  ceDeviceIO,
  ceBadMode,
  ceInputOverflow,
  ceOutputFull,
};
using TComErrors = TEnumSet<TComError, std::uint8_t>;
