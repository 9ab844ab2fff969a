#include "tools/waga-sim/com_port_server.h"

#include <utility>

#include "serial/net/com_port_control.h"

namespace {

constexpr std::string_view kSignature = "waga-sim";
// SetControl values beyond the ones a client of this program sends.
constexpr std::uint8_t kQueryFlow = 0, kQueryBreak = 4, kBreakOff = 6, kQueryDtr = 7, kQueryRts = 10,
                       kQueryInboundFlow = 13, kInboundFlowNone = 14;

}  // namespace

ComPortServer::ComPortServer()
    : options_({telnet::kBinary, telnet::kSuppressGoAhead},
               {telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption}) {
  parser_.SetBinary(true);
}

void ComPortServer::Feed(const char* bytes, std::size_t size) { parser_.Feed(bytes, size, *this); }

std::string ComPortServer::TakeReplies() { return std::exchange(replies_, {}); }

std::string ComPortServer::TakeData() { return std::exchange(data_, {}); }

std::string ComPortServer::Encode(std::string_view data) { return TelnetEscaped(data.data(), data.size()); }

void ComPortServer::NotifyModemState(std::uint8_t state) {
  modemState_ = state;
  const std::uint8_t masked = state & modemMask_;
  if (modemMask_ != 0) Reply(cpc::NotifyModemState, &masked, 1);
}

void ComPortServer::TelnetOption(std::uint8_t verb, std::uint8_t option) {
  replies_ += options_.Answer(verb, option);
}

void ComPortServer::Reply(std::uint8_t command, const std::uint8_t* value, std::size_t size) {
  replies_ += ComPortCommand(static_cast<std::uint8_t>(cpc::kServerOffset + command), value, size);
}

void ComPortServer::ReplySetting(std::uint8_t command, std::uint8_t& setting, std::uint8_t value) {
  if (value != 0) setting = value;
  Reply(command, &setting, 1);
}

std::uint8_t ComPortServer::Control(std::uint8_t value) {
  switch (value) {
    case kQueryFlow: return flow_;
    case kQueryBreak: return kBreakOff;
    case kQueryDtr: return dtr_;
    case kQueryRts: return rts_;
    case kQueryInboundFlow: return kInboundFlowNone;
    case cpc::FlowNone: case cpc::FlowXonXoff: case cpc::FlowHardware: return flow_ = value;
    case cpc::DtrOn: case cpc::DtrOff: return dtr_ = value;
    case cpc::RtsOn: case cpc::RtsOff: return rts_ = value;
    default: return value;  // break and inbound flow: taken as asked
  }
}

void ComPortServer::TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* data, std::size_t size) {
  if (option != telnet::kComPortOption || size == 0 || !ComPortEnabled()) return;
  const std::uint8_t command = data[0];
  const std::uint8_t value = size >= 2 ? data[1] : 0;
  switch (command) {
    case 0:  // signature
      Reply(0, reinterpret_cast<const std::uint8_t*>(kSignature.data()), kSignature.size());
      return;
    case cpc::SetBaudRate: {
      if (size < 5) return;
      const std::uint32_t asked = std::uint32_t{data[1]} << 24 | std::uint32_t{data[2]} << 16 |
                                  std::uint32_t{data[3]} << 8 | data[4];
      if (asked != 0) rate_ = asked;
      const std::uint8_t now[4] = {static_cast<std::uint8_t>(rate_ >> 24), static_cast<std::uint8_t>(rate_ >> 16),
                                   static_cast<std::uint8_t>(rate_ >> 8), static_cast<std::uint8_t>(rate_)};
      Reply(command, now, sizeof now);
      return;
    }
    case cpc::SetDataSize:
      return ReplySetting(command, dataSize_, value);
    case cpc::SetParity:
      return ReplySetting(command, parity_, value);
    case cpc::SetStopSize:
      return ReplySetting(command, stopSize_, value);
    case cpc::SetControl: {
      const std::uint8_t now = Control(value);
      Reply(command, &now, 1);
      return;
    }
    case cpc::SetLineStateMask:
      Reply(command, &value, 1);
      return;
    case cpc::SetModemStateMask:
      modemMask_ = value;
      Reply(command, &value, 1);
      NotifyModemState(modemState_);
      return;
    case cpc::PurgeData:
      ++purges_;
      Reply(command, &value, 1);
      return;
    default:  // flow suspend and resume, the client's own notifications
      return;
  }
}
