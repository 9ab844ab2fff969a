#include "serial/posix/line_parameters.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <utility>

namespace {

DeviceControlBlock Block(std::uint32_t rate = 9600, std::uint32_t flags = 0) {
  DeviceControlBlock block;
  block.BaudRate = rate;
  block.Flags = dcb::fBinary | flags;
  block.ByteSize = 8;
  block.XonChar = 17;
  block.XoffChar = 19;
  return block;
}

LineState Translate(const DeviceControlBlock& block, int expected = 0) {
  LineState state;
  EXPECT_EQ(TranslateLineParameters(block, LineState{}, state), expected);
  return state;
}

}  // namespace

TEST(LineParameters, EveryRateOfTheComponentAndCustomRates) {
  constexpr std::uint32_t kAny = kArbitraryRateCode;
  const std::uint32_t cases[][2] = {
      {110, B110},     {300, B300},       {600, B600},       {1200, B1200},   {2400, B2400},
      {4800, B4800},   {9600, B9600},     {14400, kAny},     {19200, B19200}, {38400, B38400},
      {56000, kAny},   {57600, B57600},   {115200, B115200}, {128000, kAny},  {256000, kAny},
      {31250, kAny},   {230400, B230400}, {1234567, kAny}};
  for (const auto& [rate, code] : cases) {
    const LineState state = Translate(Block(rate));
    EXPECT_EQ(state.cflag & CBAUD, code) << rate;
    EXPECT_EQ(state.cflag & CIBAUD, 0u) << "input follows output, " << rate;
    EXPECT_EQ(state.ispeed, rate);
    EXPECT_EQ(OutputRate(state), rate);
  }
}

TEST(LineParameters, ImpossibleValuesAreRefused) {
  Translate(Block(0), EINVAL);
  for (int field = 0; field < 4; ++field) {
    DeviceControlBlock block = Block();
    block.ByteSize = field == 0 ? 9 : field == 1 ? 4 : 8;
    block.Parity = field == 2 ? 5 : 0;
    block.StopBits = field == 3 ? 3 : 0;
    Translate(block, EINVAL);
  }
  DeviceControlBlock block = Block();
  block.XoffChar = block.XonChar;
  Translate(block, 0);  // equal characters matter only with XON/XOFF
  block.Flags |= dcb::fInX;
  Translate(block, EINVAL);
}

TEST(LineParameters, DataBitsParityAndStopBits) {
  const std::uint32_t sizes[] = {CS5, CS6, CS7, CS8};
  const std::uint32_t parities[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                    PARENB | CMSPAR};
  for (std::uint8_t n = 0; n <= 4; ++n) {
    DeviceControlBlock block = Block();
    if (n < 4) block.ByteSize = static_cast<std::uint8_t>(5 + n);
    block.Parity = n;
    block.StopBits = n % 3;
    const LineState state = Translate(block);
    if (n < 4) {
      EXPECT_EQ(state.cflag & CSIZE, sizes[n]);
    }
    EXPECT_EQ(state.cflag & (PARENB | PARODD | CMSPAR), parities[n]) << int(n);
    EXPECT_EQ((state.cflag & CSTOPB) != 0, n % 3 != 0) << "one and a half is sent as two";
  }
}

TEST(LineParameters, RawModeThatTellsNoDataFromHangUp) {
  LineState current, state;
  current.line = 3;
  current.lflag = ICANON | ECHO | ISIG;
  current.iflag = ICRNL | IXON;
  current.oflag = OPOST | ONLCR;
  ASSERT_EQ(TranslateLineParameters(Block(), current, state), 0);
  EXPECT_EQ(state.line, 3);
  EXPECT_EQ(state.lflag | state.oflag, 0u);
  EXPECT_EQ(state.iflag, static_cast<std::uint32_t>(IGNBRK));
  EXPECT_EQ(state.cflag & (CREAD | CLOCAL | CRTSCTS), static_cast<std::uint32_t>(CREAD | CLOCAL));
  EXPECT_EQ(state.cc[VMIN], 1);  // VMIN 0 makes an empty read look like end of file
  EXPECT_EQ(state.cc[VTIME], 0);
}

TEST(LineParameters, FlowControlAndParityReplacement) {
  EXPECT_NE(Translate(Block(9600, dcb::fOutxCtsFlow)).cflag & CRTSCTS, 0u);
  EXPECT_NE(Translate(Block(9600, dcb::fRtsControlHandshake)).cflag & CRTSCTS, 0u);
  EXPECT_EQ(Translate(Block(9600, dcb::fOutX)).iflag & (IXON | IXOFF), 0u + IXON);
  DeviceControlBlock block = Block(9600, dcb::fInX);
  block.XonChar = 'A';
  block.XoffChar = 'B';
  const LineState state = Translate(block);
  EXPECT_EQ(state.iflag & (IXON | IXOFF), 0u + IXOFF);
  EXPECT_EQ(state.cc[VSTART], 'A');
  EXPECT_EQ(state.cc[VSTOP], 'B');

  EXPECT_EQ(Translate(Block(9600, dcb::fErrorChar)).iflag & INPCK, 0u);
  EXPECT_EQ(Translate(Block(9600, dcb::fParity)).iflag & INPCK, 0u);
  EXPECT_NE(Translate(Block(9600, dcb::fParity | dcb::fErrorChar)).iflag & INPCK, 0u);
}

TEST(LineParameters, DtrAndRtsHeldAsTheBlockSays) {
  using enum HeldLine;
  const auto held = [](std::uint32_t flags) {
    const ModemLineRequest request = HeldModemLines(Block(9600, flags));
    return std::pair(request.dtr, request.rts);
  };
  EXPECT_EQ(held(0), std::pair(Off, Off));
  EXPECT_EQ(held(dcb::fDtrControlEnable | dcb::fRtsControlEnable), std::pair(On, On));
  EXPECT_EQ(held(dcb::fDtrControlHandshake | dcb::fRtsControlHandshake), std::pair(On, ByDriver));
  EXPECT_EQ(held(dcb::fRtsControlToggle), std::pair(Off, Off));
}

TEST(LineParameters, ASettingTheDriverLeftOutIsNotTaken) {
  DeviceControlBlock block = Block(9600, dcb::fParity | dcb::fErrorChar | dcb::fOutX |
                                             dcb::fRtsControlHandshake);
  block.ByteSize = 5;
  block.Parity = 3;  // mark
  block.StopBits = 2;
  const LineState wanted = Translate(block);
  EXPECT_TRUE(LineSettingsTook(wanted, wanted));

  // What drivers of cheap adapters do: each field falls back on its own.
  const std::pair<const char*, void (*)(LineState&)> dropped[] = {
      {"mark parity as odd", [](LineState& s) { s.cflag &= ~CMSPAR; }},
      {"parity off", [](LineState& s) { s.cflag &= ~(PARENB | PARODD | CMSPAR); }},
      {"5 data bits as 8", [](LineState& s) { s.cflag = (s.cflag & ~CSIZE) | CS8; }},
      {"one stop bit", [](LineState& s) { s.cflag &= ~CSTOPB; }},
      {"no RTS/CTS", [](LineState& s) { s.cflag &= ~CRTSCTS; }},
      {"no XON/XOFF", [](LineState& s) { s.iflag &= ~IXON; }},
      {"no parity check", [](LineState& s) { s.iflag &= ~INPCK; }},
      {"another rate", [](LineState& s) { s.ospeed = 9000; s.cflag = (s.cflag & ~CBAUD) | kArbitraryRateCode; }},
  };
  for (const auto& [name, drop] : dropped) {
    LineState applied = wanted;
    drop(applied);
    EXPECT_FALSE(LineSettingsTook(wanted, applied)) << name;
  }

  // A rate the divisor makes 2% off is what the line runs at: taken. So are
  // fields the component does not ask for.
  LineState close = wanted;
  close.cflag = (close.cflag & ~CBAUD) | kArbitraryRateCode;
  close.ospeed = 9790;
  close.lflag |= ECHO;
  EXPECT_TRUE(LineSettingsTook(wanted, close));
}
