#include "serial/posix/line_parameters.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>

namespace {

DeviceControlBlock Block(std::uint32_t rate = 9600) {
  DeviceControlBlock block;
  block.DCBlength = 28;
  block.BaudRate = rate;
  block.Flags = dcb::fBinary;
  block.XonLim = block.XoffLim = 256;
  block.ByteSize = 8;
  block.XonChar = 17;
  block.XoffChar = 19;
  return block;
}

LineState Translate(const DeviceControlBlock& block) {
  LineState state;
  EXPECT_EQ(TranslateLineParameters(block, LineState{}, state), 0);
  return state;
}

}  // namespace

TEST(LineParameters, EveryRateOfTheComponentAndCustomRates) {
  const struct {
    std::uint32_t rate;
    std::uint32_t code;
  } cases[] = {
      {110, B110},       {300, B300},        {600, B600},
      {1200, B1200},     {2400, B2400},      {4800, B4800},
      {9600, B9600},     {19200, B19200},    {38400, B38400},
      {57600, B57600},   {115200, B115200},  {14400, kArbitraryRateCode},
      {56000, kArbitraryRateCode},           {128000, kArbitraryRateCode},
      {256000, kArbitraryRateCode},          {31250, kArbitraryRateCode},
      {230400, B230400}, {1234567, kArbitraryRateCode},
  };
  for (const auto& c : cases) {
    const LineState state = Translate(Block(c.rate));
    EXPECT_EQ(state.cflag & CBAUD, c.code) << c.rate;
    EXPECT_EQ(state.cflag & CIBAUD, 0u) << "input follows output, " << c.rate;
    EXPECT_EQ(state.ospeed, c.rate);
    EXPECT_EQ(state.ispeed, c.rate);
    EXPECT_EQ(OutputRate(state), c.rate);
  }
}

TEST(LineParameters, ImpossibleValuesAreRefused) {
  LineState state;
  auto refused = [&](DeviceControlBlock block) {
    return TranslateLineParameters(block, LineState{}, state) == EINVAL;
  };
  DeviceControlBlock block = Block(0);
  EXPECT_TRUE(refused(block));
  for (std::uint8_t size : {0, 4, 9}) {
    block = Block();
    block.ByteSize = size;
    EXPECT_TRUE(refused(block)) << int(size);
  }
  block = Block();
  block.Parity = 5;
  EXPECT_TRUE(refused(block));
  block = Block();
  block.StopBits = 3;
  EXPECT_TRUE(refused(block));
  block = Block();
  block.XoffChar = block.XonChar;
  EXPECT_FALSE(refused(block)) << "equal characters matter only with XON/XOFF";
  block.Flags |= dcb::fInX;
  EXPECT_TRUE(refused(block));
}

TEST(LineParameters, DataBitsParityAndStopBits) {
  const std::uint32_t sizes[] = {CS5, CS6, CS7, CS8};
  for (std::uint8_t bits = 5; bits <= 8; ++bits) {
    DeviceControlBlock block = Block();
    block.ByteSize = bits;
    EXPECT_EQ(Translate(block).cflag & CSIZE, sizes[bits - 5]) << int(bits);
  }
  const std::uint32_t parities[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                    PARENB | CMSPAR};
  for (std::uint8_t parity = 0; parity <= 4; ++parity) {
    DeviceControlBlock block = Block();
    block.Parity = parity;
    EXPECT_EQ(Translate(block).cflag & (PARENB | PARODD | CMSPAR), parities[parity]) << int(parity);
  }
  for (std::uint8_t stop = 0; stop <= 2; ++stop) {
    DeviceControlBlock block = Block();
    block.StopBits = stop;
    EXPECT_EQ((Translate(block).cflag & CSTOPB) != 0, stop != 0) << "one and a half is two";
  }
}

TEST(LineParameters, RawModeThatTellsNoDataFromHangUp) {
  LineState current;
  current.line = 3;
  current.lflag = ICANON | ECHO | ISIG;
  current.iflag = ICRNL | IXON;
  current.oflag = OPOST | ONLCR;
  LineState state;
  ASSERT_EQ(TranslateLineParameters(Block(), current, state), 0);
  EXPECT_EQ(state.line, 3);
  EXPECT_EQ(state.lflag, 0u);
  EXPECT_EQ(state.oflag, 0u);
  EXPECT_EQ(state.iflag, static_cast<std::uint32_t>(IGNBRK));
  EXPECT_EQ(state.cflag & (CREAD | CLOCAL), static_cast<std::uint32_t>(CREAD | CLOCAL));
  EXPECT_EQ(state.cflag & CRTSCTS, 0u);
  EXPECT_EQ(state.cc[VMIN], 1);  // VMIN 0 would make an empty read look like end of file
  EXPECT_EQ(state.cc[VTIME], 0);
}

TEST(LineParameters, FlowControl) {
  DeviceControlBlock block = Block();
  block.Flags |= dcb::fOutxCtsFlow;
  EXPECT_NE(Translate(block).cflag & CRTSCTS, 0u);
  block = Block();
  block.Flags |= dcb::fRtsControlHandshake;
  EXPECT_NE(Translate(block).cflag & CRTSCTS, 0u);

  block = Block();
  block.Flags |= dcb::fOutX;
  EXPECT_EQ(Translate(block).iflag & (IXON | IXOFF), static_cast<std::uint32_t>(IXON));
  block = Block();
  block.Flags |= dcb::fInX;
  block.XonChar = 'A';
  block.XoffChar = 'B';
  const LineState state = Translate(block);
  EXPECT_EQ(state.iflag & (IXON | IXOFF), static_cast<std::uint32_t>(IXOFF));
  EXPECT_EQ(state.cc[VSTART], 'A');
  EXPECT_EQ(state.cc[VSTOP], 'B');
}

TEST(LineParameters, ParityErrorsAreReplacedOnlyWhenCheckedAndReplaced) {
  DeviceControlBlock block = Block();
  block.Flags |= dcb::fErrorChar;
  EXPECT_EQ(Translate(block).iflag & INPCK, 0u);
  block.Flags = dcb::fBinary | dcb::fParity;
  EXPECT_EQ(Translate(block).iflag & INPCK, 0u);
  block.Flags |= dcb::fErrorChar;
  EXPECT_NE(Translate(block).iflag & INPCK, 0u);
}

TEST(LineParameters, DtrAndRtsHeldAsTheBlockSays) {
  const struct {
    std::uint32_t flags;
    HeldLine dtr;
    HeldLine rts;
  } cases[] = {
      {0, HeldLine::Off, HeldLine::Off},
      {dcb::fDtrControlEnable | dcb::fRtsControlEnable, HeldLine::On, HeldLine::On},
      {dcb::fDtrControlHandshake | dcb::fRtsControlHandshake, HeldLine::On, HeldLine::ByDriver},
      {dcb::fRtsControlToggle, HeldLine::Off, HeldLine::Off},
  };
  for (const auto& c : cases) {
    DeviceControlBlock block = Block();
    block.Flags |= c.flags;
    const ModemLineRequest request = HeldModemLines(block);
    EXPECT_EQ(request.dtr, c.dtr) << c.flags;
    EXPECT_EQ(request.rts, c.rts) << c.flags;
  }
}
