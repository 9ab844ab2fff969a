#pragma once

// The COM port control option of Telnet (RFC 2217): the commands that set a
// remote port's line, and the reading of what the server notifies.

#include <cstdint>
#include <string>

#include "serial/serial_device.h"

namespace cpc {
// Client to server; the server answers with the same code plus 100.
inline constexpr std::uint8_t SetBaudRate = 1;
inline constexpr std::uint8_t SetDataSize = 2;
inline constexpr std::uint8_t SetParity = 3;
inline constexpr std::uint8_t SetStopSize = 4;
inline constexpr std::uint8_t SetControl = 5;
inline constexpr std::uint8_t NotifyLineState = 6;
inline constexpr std::uint8_t NotifyModemState = 7;
inline constexpr std::uint8_t SetLineStateMask = 10;
inline constexpr std::uint8_t SetModemStateMask = 11;
inline constexpr std::uint8_t PurgeData = 12;
inline constexpr std::uint8_t kServerOffset = 100;

// SetControl values.
inline constexpr std::uint8_t FlowNone = 1;
inline constexpr std::uint8_t FlowXonXoff = 2;
inline constexpr std::uint8_t FlowHardware = 3;
inline constexpr std::uint8_t DtrOn = 8;
inline constexpr std::uint8_t DtrOff = 9;
inline constexpr std::uint8_t RtsOn = 11;
inline constexpr std::uint8_t RtsOff = 12;

// PurgeData values.
inline constexpr std::uint8_t PurgeReceive = 1;
inline constexpr std::uint8_t PurgeTransmit = 2;
inline constexpr std::uint8_t PurgeBoth = 3;

// Modem state bits.
inline constexpr std::uint8_t ModemCts = 0x10;
inline constexpr std::uint8_t ModemDsr = 0x20;
inline constexpr std::uint8_t ModemRing = 0x40;
inline constexpr std::uint8_t ModemCd = 0x80;
// The low bits tell that a line changed since the last notification, which
// shows a pulse shorter than the notifications.
inline constexpr std::uint8_t ModemDeltaCts = 0x01;
inline constexpr std::uint8_t ModemDeltaDsr = 0x02;
inline constexpr std::uint8_t ModemRingTrailingEdge = 0x04;
inline constexpr std::uint8_t ModemDeltaCd = 0x08;

// Line state bits.
inline constexpr std::uint8_t LineOverrun = 0x02;
inline constexpr std::uint8_t LineParity = 0x04;
inline constexpr std::uint8_t LineFraming = 0x08;
inline constexpr std::uint8_t LineBreak = 0x10;
}  // namespace cpc

// IAC SB COM-PORT-OPTION <command> <value, IAC doubled> IAC SE.
std::string ComPortCommand(std::uint8_t command, const std::uint8_t* value, std::size_t size);
std::string ComPortCommand(std::uint8_t command, std::uint8_t value);

// The commands that put a device control block on the remote port: rate,
// data size, parity, stop size, flow control and, where flow control leaves
// them to the program, DTR and RTS.
std::string LineSettingCommands(const DeviceControlBlock& block);

// The MS_*_ON bits of a modem state byte, and the CE_* flags of a line state
// byte.
std::uint32_t ModemStatusBits(std::uint8_t modemState);
// The EV_* events of the change bits of a modem state byte.
std::uint32_t ModemDeltaEvents(std::uint8_t modemState);
std::uint32_t LineErrorFlags(std::uint8_t lineState);
