#include "serial/net/telnet_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/net/com_port_control.h"
#include "serial/net/telnet_options.h"

namespace {

struct Recording : TelnetSink {
  std::string data;
  std::vector<std::string> events;
  void TelnetData(const char* bytes, std::size_t size) override { data.append(bytes, size); }
  void TelnetOption(std::uint8_t verb, std::uint8_t option) override {
    events.push_back("opt " + std::to_string(verb) + " " + std::to_string(option));
  }
  void TelnetSubnegotiation(std::uint8_t option, const std::uint8_t* bytes, std::size_t size) override {
    events.push_back("sb " + std::to_string(option) + " " +
                     std::string(reinterpret_cast<const char*>(bytes), size));
  }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// Fed in one piece and byte by byte: the same outcome.
Recording Parse(const std::string& input, bool binary = true) {
  Recording whole;
  TelnetParser a;
  a.SetBinary(binary);
  a.Feed(input.data(), input.size(), whole);
  Recording pieces;
  TelnetParser b;
  b.SetBinary(binary);
  for (char c : input) b.Feed(&c, 1, pieces);
  EXPECT_EQ(whole.data, pieces.data);
  EXPECT_EQ(whole.events, pieces.events);
  return whole;
}

}  // namespace

TEST(TelnetParser, DoubledIacIsOneDataByteAndOptionsAreTakenOut) {
  const Recording r = Parse("ab" + Bytes({255, 255, 255, 251, 44, 255, 241}) + "cd" +
                            Bytes({255, 254, 1, 255, 255}));
  EXPECT_EQ(r.data, "ab\xFF" "cd\xFF");
  EXPECT_EQ(r.events, (std::vector<std::string>{"opt 251 44", "opt 254 1"}));
}

TEST(TelnetParser, SubnegotiationsWithEscapesAndOverlongOnesDropped) {
  const Recording r = Parse(Bytes({255, 250, 44, 107, 255, 255, 255, 240}) + "x" +
                            Bytes({255, 250, 44}) + std::string(100, 'z') + Bytes({255, 240}) + "y");
  EXPECT_EQ(r.data, "xy");
  ASSERT_EQ(r.events.size(), 1u);
  EXPECT_EQ(r.events[0], "sb 44 " + Bytes({107, 255}));
}

TEST(TelnetParser, ASubnegotiationCutShortByACommandIsDropped) {
  const Recording r = Parse(Bytes({255, 250, 44, 107, 1, 255, 251, 3}) + "ok");
  EXPECT_EQ(r.data, "ok");
  EXPECT_EQ(r.events, (std::vector<std::string>{"opt 251 3"}));
}

TEST(TelnetParser, OutsideBinaryModeTheNulAfterCrIsPadding) {
  EXPECT_EQ(Parse(std::string("a\r\0b\r\n\0", 7), false).data, std::string("a\rb\r\n\0", 6));
  EXPECT_EQ(Parse(std::string("a\r\0b", 4), true).data, std::string("a\r\0b", 4));
}

TEST(ComPortControl, CommandsEscapeIacAndCarryTheBlock) {
  EXPECT_EQ(ComPortCommand(cpc::SetDataSize, 7), Bytes({255, 250, 44, 2, 7, 255, 240}));
  const std::uint8_t value[2] = {255, 1};
  EXPECT_EQ(ComPortCommand(cpc::SetBaudRate, value, 2), Bytes({255, 250, 44, 1, 255, 255, 1, 255, 240}));

  DeviceControlBlock block;
  block.BaudRate = 0x0001FFFF;  // 131071: an IAC inside the rate
  block.ByteSize = 7;
  block.Parity = 2;
  block.StopBits = 1;
  block.Flags = dcb::fBinary | dcb::fOutxCtsFlow | dcb::fRtsControlHandshake | dcb::fDtrControlEnable;
  const std::string expected = Bytes({255, 250, 44, 1, 0, 1, 255, 255, 255, 255, 255, 240}) +
                               ComPortCommand(cpc::SetDataSize, 7) + ComPortCommand(cpc::SetParity, 3) +
                               ComPortCommand(cpc::SetStopSize, 3) +
                               ComPortCommand(cpc::SetControl, cpc::FlowHardware) +
                               ComPortCommand(cpc::SetControl, cpc::DtrOn);
  EXPECT_EQ(LineSettingCommands(block), expected);

  block.Flags = dcb::fBinary | dcb::fOutX | dcb::fInX;
  block.StopBits = 2;
  EXPECT_NE(LineSettingCommands(block).find(ComPortCommand(cpc::SetControl, cpc::FlowXonXoff) +
                                            ComPortCommand(cpc::SetControl, cpc::DtrOff) +
                                            ComPortCommand(cpc::SetControl, cpc::RtsOff)),
            std::string::npos);
  EXPECT_NE(LineSettingCommands(block).find(ComPortCommand(cpc::SetStopSize, 2)), std::string::npos);
}

TEST(ComPortControl, NotificationsBecomeModemAndErrorBits) {
  EXPECT_EQ(ModemStatusBits(0xF0), ms::CTS_ON | ms::DSR_ON | ms::RING_ON | ms::RLSD_ON);
  EXPECT_EQ(ModemStatusBits(0x0F), 0u);
  EXPECT_EQ(LineErrorFlags(0x1E), ce::OVERRUN | ce::RXPARITY | ce::FRAME | ce::BREAK);
  EXPECT_EQ(LineErrorFlags(0xE1), 0u);
}

// Each request is answered only when it changes something: a refusal once,
// the answer to our own request not at all.
TEST(TelnetOptions, AnswersOnlyWhatChangesTheState) {
  TelnetOptions options({telnet::kComPortOption}, {telnet::kBinary});
  EXPECT_EQ(options.Ask(telnet::WILL, telnet::kComPortOption), Bytes({255, 251, 44}));
  EXPECT_EQ(options.Answer(telnet::DO, telnet::kComPortOption), "");
  EXPECT_TRUE(options.Ours(telnet::kComPortOption));

  EXPECT_EQ(options.Answer(telnet::WILL, telnet::kBinary), Bytes({255, 253, 0}));
  EXPECT_EQ(options.Answer(telnet::WILL, telnet::kBinary), "");
  EXPECT_TRUE(options.Theirs(telnet::kBinary));
  EXPECT_EQ(options.Answer(telnet::WONT, telnet::kBinary), Bytes({255, 254, 0}));
  EXPECT_FALSE(options.Theirs(telnet::kBinary));

  EXPECT_EQ(options.Answer(telnet::DO, 1), Bytes({255, 252, 1}));
  EXPECT_EQ(options.Answer(telnet::DO, 1), "");
  EXPECT_EQ(options.Answer(telnet::WILL, 1), Bytes({255, 254, 1}));

  EXPECT_FALSE(options.RefusedOurs(telnet::kComPortOption));
  EXPECT_EQ(options.Answer(telnet::DONT, telnet::kComPortOption), Bytes({255, 252, 44}));
  EXPECT_TRUE(options.RefusedOurs(telnet::kComPortOption));
  EXPECT_FALSE(options.Ours(telnet::kComPortOption));
}

TEST(ComPortControl, ChangeBitsBecomeEvents) {
  EXPECT_EQ(ModemDeltaEvents(0x0F), ev::CTS | ev::DSR | ev::RING | ev::RLSD);
  EXPECT_EQ(ModemDeltaEvents(0xF0), 0u);
}
