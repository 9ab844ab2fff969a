#include "serial/net/com_port_control.h"

#include "serial/net/telnet_options.h"
#include "serial/net/telnet_parser.h"

std::string ComPortCommand(std::uint8_t command, const std::uint8_t* value, std::size_t size) {
  std::string out = {static_cast<char>(telnet::IAC), static_cast<char>(telnet::SB),
                     static_cast<char>(telnet::kComPortOption), static_cast<char>(command)};
  out += TelnetEscaped(reinterpret_cast<const char*>(value), size);
  out += static_cast<char>(telnet::IAC);
  out += static_cast<char>(telnet::SE);
  return out;
}

std::string ComPortCommand(std::uint8_t command, std::uint8_t value) {
  return ComPortCommand(command, &value, 1);
}

std::string LineSettingCommands(const DeviceControlBlock& block) {
  const std::uint8_t rate[4] = {
      static_cast<std::uint8_t>(block.BaudRate >> 24), static_cast<std::uint8_t>(block.BaudRate >> 16),
      static_cast<std::uint8_t>(block.BaudRate >> 8), static_cast<std::uint8_t>(block.BaudRate)};
  // Stop bits in the block: 0 one, 1 one and a half, 2 two; on the wire
  // 1 one, 2 two, 3 one and a half.
  constexpr std::uint8_t kStopSize[3] = {1, 3, 2};
  const std::uint32_t rts = block.Flags & dcb::fRtsControlMask;
  const bool hardware = (block.Flags & dcb::fOutxCtsFlow) || rts == dcb::fRtsControlHandshake;
  const bool software = (block.Flags & (dcb::fOutX | dcb::fInX)) != 0;

  std::string out = ComPortCommand(cpc::SetBaudRate, rate, sizeof rate);
  out += ComPortCommand(cpc::SetDataSize, block.ByteSize);
  out += ComPortCommand(cpc::SetParity, static_cast<std::uint8_t>(block.Parity + 1));
  out += ComPortCommand(cpc::SetStopSize, kStopSize[block.StopBits <= 2 ? block.StopBits : 0]);
  out += ComPortCommand(cpc::SetControl, hardware   ? cpc::FlowHardware
                                         : software ? cpc::FlowXonXoff
                                                    : cpc::FlowNone);
  out += ComPortCommand(cpc::SetControl,
                        (block.Flags & dcb::fDtrControlMask) != 0 ? cpc::DtrOn : cpc::DtrOff);
  if (!hardware) {
    out += ComPortCommand(cpc::SetControl, rts == dcb::fRtsControlEnable ? cpc::RtsOn : cpc::RtsOff);
  }
  return out;
}

std::uint32_t ModemStatusBits(std::uint8_t modemState) {
  std::uint32_t status = 0;
  if (modemState & cpc::ModemCts) status |= ms::CTS_ON;
  if (modemState & cpc::ModemDsr) status |= ms::DSR_ON;
  if (modemState & cpc::ModemRing) status |= ms::RING_ON;
  if (modemState & cpc::ModemCd) status |= ms::RLSD_ON;
  return status;
}

std::uint32_t ModemDeltaEvents(std::uint8_t modemState) {
  std::uint32_t events = 0;
  if (modemState & cpc::ModemDeltaCts) events |= ev::CTS;
  if (modemState & cpc::ModemDeltaDsr) events |= ev::DSR;
  if (modemState & cpc::ModemRingTrailingEdge) events |= ev::RING;
  if (modemState & cpc::ModemDeltaCd) events |= ev::RLSD;
  return events;
}

std::uint32_t LineErrorFlags(std::uint8_t lineState) {
  std::uint32_t flags = 0;
  if (lineState & cpc::LineOverrun) flags |= ce::OVERRUN;
  if (lineState & cpc::LineParity) flags |= ce::RXPARITY;
  if (lineState & cpc::LineFraming) flags |= ce::FRAME;
  if (lineState & cpc::LineBreak) flags |= ce::BREAK;
  return flags;
}
