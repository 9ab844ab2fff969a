#include "tools/waga-sim/wire_model.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "serial/posix/line_parameters.h"
#include "tests/support/serial/pty_pair.h"
#include "tests/tools/waga-sim/sim_peer.h"

namespace {

LineFormat Format(const char* text, std::uint32_t baud) { return *ParseLineFormat(text, baud); }

struct WireCase {
  const char* name;
  LineFormat sender, receiver;
  std::string sent;
  std::vector<ReceivedByte> received;
};

void PrintTo(const WireCase& c, std::ostream* out) { *out << c.name; }

constexpr ReceivedByte Ok(std::uint8_t value) { return {value, false, false}; }
constexpr ReceivedByte Framing(std::uint8_t value) { return {value, true, false}; }
constexpr ReceivedByte BadParity(std::uint8_t value) { return {value, false, true}; }

class Wire : public testing::TestWithParam<WireCase> {};

TEST_P(Wire, GivesWhatTheReceiverSamples) {
  const WireCase& c = GetParam();
  EXPECT_EQ(ReceiveOverWire(c.sender, c.receiver, c.sent), c.received);
}

// 'A' is 0x41 (two bits set), 'C' 0x43 (three); the lowest bit goes first.
INSTANTIATE_TEST_SUITE_P(
    BitByBit, Wire,
    testing::Values(
        WireCase{"Same8N1", Format("8N1", 9600), Format("8N1", 9600), "A\xff\r", {Ok('A'), Ok(0xFF), Ok('\r')}},
        WireCase{"Same7O2", Format("7O2", 1200), Format("7O2", 1200), "AC", {Ok('A'), Ok('C')}},
        // 7E1 is as long as 8N1: the parity bit arrives as the eighth bit.
        WireCase{"7E1As8N1", Format("7E1", 4800), Format("8N1", 4800), "AC", {Ok(0x41), Ok(0xC3)}},
        WireCase{"7O1As8N1", Format("7O1", 4800), Format("8N1", 4800), "AC", {Ok(0xC1), Ok(0x43)}},
        // The first of two stop bits is a set eighth bit, the second a stop bit.
        WireCase{"7N2As8N1", Format("7N2", 2400), Format("8N1", 2400), "AC", {Ok(0xC1), Ok(0xC3)}},
        // 8E1 read as 8N1: the parity bit falls on the stop bit; a 0 there is
        // a framing error, and the next frame is read right all the same.
        WireCase{"8E1As8N1", Format("8E1", 9600), Format("8N1", 9600), "AC", {Framing('A'), Ok('C')}},
        WireCase{"7O1As7E1", Format("7O1", 1200), Format("7E1", 1200), "AC", {BadParity('A'), BadParity('C')}},
        // 7N1 is a bit shorter than 8N1: the stop bit is the eighth bit and
        // the next start bit lands on the stop bit. The next falling edge is
        // the second 'A''s bit 1: 0,0,0,0,1, its stop bit and idle line.
        WireCase{"7N1As8N1", Format("7N1", 9600), Format("8N1", 9600), "AA", {Framing(0xC1), Ok(0xF0)}},
        // 0x55 sent at 4800, read at 9600: each bit is sampled twice,
        // 0,1,1,0,0,1,1,0 then a low stop bit; the rest of the byte, from
        // the falling edge of bit 5, gives 0,1,1,0,0,1,1,1 and a high stop bit.
        WireCase{"4800As9600", Format("8N1", 4800), Format("8N1", 9600), "\x55", {Framing(0x66), Ok(0xE6)}},
        // 'A' sent at 9600, read at 4800: the start bit's middle is data
        // bit 0 (high, no start); from bit 1's falling edge every other bit:
        // 0,1,1 then idle line, 1s.
        WireCase{"9600As4800", Format("8N1", 9600), Format("8N1", 4800), "A", {Ok(0xFE)}},
        WireCase{"NothingSent", Format("8N1", 9600), Format("7E1", 1200), "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Wire, FormatTexts) {
  for (const char* text : {"8N1", "7E1", "7O1", "8E1", "7N2", "5M1.5", "6S2"})
    EXPECT_EQ(LineFormatText(Format(text, 1200)), text);
  for (const char* text : {"", "9N1", "8X1", "8N3", "8N1x", "8n1"}) EXPECT_FALSE(ParseLineFormat(text, 1200));
  EXPECT_EQ(FrameHalves(Format("8N1", 1200)), 20);
  EXPECT_EQ(FrameHalves(Format("7N1.5", 1200)), 19);
}

// The simulator's side of a pseudo-terminal shows the speed the program set
// on its side; Linux keeps the stop bits but forces 8 data bits, no parity.
TEST(Wire, PseudoTerminalShowsTheProgramsSpeedOnTheMaster) {
  PtyPair pty;
  termios tio{};
  ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
  cfsetspeed(&tio, B4800);
  tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
  ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &tio), 0);
  LineState master;
  ASSERT_EQ(GetLineState(pty.master, master), 0);
  EXPECT_EQ(OutputRate(master), 4800u);
  EXPECT_EQ(master.cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8 | CSTOPB));
}

// The scale's answer crosses the wire model on each link: the program gets
// what its port's settings make of the scale's frames. On a pseudo-terminal
// the program's 8N1 is forced, so a 7E1 scale's parity bit is the 8th bit.
struct LinkCase {
  const char* name;
  bool rfc2217;
  LineFormat scale, program;
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }

class WireOverLink : public testing::TestWithParam<LinkCase> {};

TEST_P(WireOverLink, DeliversWhatTheProgramsReceiverTakes) {
  const LinkCase& c = GetParam();
  std::vector<std::string> options{"--protocol", "si", "--on-request", "--baud", std::to_string(c.scale.baud),
                                   "--format", LineFormatText(c.scale)};
  if (c.rfc2217) options.insert(options.end(), {"--rfc2217", "0"});
  SimPeer scale(options);
  scale.SetLine(c.program.baud, std::uint8_t(c.program.dataBits), c.program.parity == Parity::None ? 1 : 2);
  scale.Write("Z\r\n");
  std::string expected;
  for (const ReceivedByte& byte : ReceiveOverWire(c.scale, c.program, "Z A\r\n")) expected += char(byte.value);
  EXPECT_EQ(scale.Take(expected.size()), expected);
  EXPECT_EQ(expected == "Z A\r\n", c.program == c.scale);
}

INSTANTIATE_TEST_SUITE_P(EveryLink, WireOverLink,
                         testing::Values(LinkCase{"PtySame", false, Format("8N1", 9600), Format("8N1", 9600)},
                                         LinkCase{"Pty7E1", false, Format("7E1", 9600), Format("8N1", 9600)},
                                         LinkCase{"Rfc2217Same", true, Format("7O1", 1200), Format("7O1", 1200)},
                                         LinkCase{"Rfc2217As8N1", true, Format("7O1", 1200), Format("8N1", 1200)}),
                         [](const auto& info) { return std::string(info.param.name); });

// A program at half the scale's speed sends what the scale reads without
// any line end (each of its bits is sampled twice from a start bit's edge,
// so bit 0 is always 0 and bits 1 and 2 are equal): no command, no answer.
TEST(WireOverLink, RequestAtAWrongSpeedIsNotHeard) {
  SimPeer scale({"--protocol", "si", "--on-request", "--baud", "9600", "--format", "8N1"});
  scale.SetLine(4800);
  scale.Write("Z\r\nSI\r\n");
  EXPECT_EQ(scale.Quiet(300), "");
  scale.SetLine(9600);
  // What it did take ends at the next line end, as a command it does not know.
  scale.Write("\r\nZ\r\n");
  EXPECT_EQ(scale.Lines(2), "ES\r\nZ A\r\n");
}

// A program that changes its speed while a long line is under way gets the
// rest of it as its new speed takes it: garbage, not the line as sent.
TEST(WireOverLink, ASpeedChangedInMidLineTakesTheRestAtTheNewSpeed) {
  std::string text;
  for (int i = 0; i < 8; ++i) text += "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  SimPeer scale({"--baud", "1200", "--format", "8N1", "--script", "text:" + text, "--repeat", "1"});
  ASSERT_EQ(scale.Take(20).size(), 20u);
  scale.SetLine(9600);
  const std::string rest = scale.Quiet(2500);
  EXPECT_FALSE(rest.empty());
  EXPECT_EQ(rest.find(text.substr(text.size() - 100, 10)), std::string::npos) << rest;
}

}  // namespace
