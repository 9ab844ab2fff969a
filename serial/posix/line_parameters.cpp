#include "serial/posix/line_parameters.h"

#include <termios.h>

#include <cerrno>

namespace {

struct RateCode {
  std::uint32_t rate;
  std::uint32_t code;
};

// The rates the kernel has a fixed code for; every other rate goes through
// the arbitrary-rate code with the rate itself in ispeed/ospeed.
constexpr RateCode kRateCodes[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

int ByteSizeFlag(std::uint8_t byteSize, std::uint32_t& flag) {
  switch (byteSize) {
    case 5: flag = CS5; return 0;
    case 6: flag = CS6; return 0;
    case 7: flag = CS7; return 0;
    case 8: flag = CS8; return 0;
    default: return EINVAL;
  }
}

int ParityFlags(std::uint8_t parity, std::uint32_t& flags) {
  switch (parity) {
    case 0: flags = 0; return 0;                           // none
    case 1: flags = PARENB | PARODD; return 0;             // odd
    case 2: flags = PARENB; return 0;                      // even
    case 3: flags = PARENB | CMSPAR | PARODD; return 0;    // mark
    case 4: flags = PARENB | CMSPAR; return 0;             // space
    default: return EINVAL;
  }
}

}  // namespace

bool IsKernelStandardRate(std::uint32_t rate) { return RateCodeFor(rate) != kArbitraryRateCode; }

std::uint32_t RateCodeFor(std::uint32_t rate) {
  for (const RateCode& entry : kRateCodes) {
    if (entry.rate == rate) return entry.code;
  }
  return kArbitraryRateCode;
}

int TranslateLineParameters(const DeviceControlBlock& block, const LineState& current,
                            LineState& result) {
  if (block.BaudRate == 0) return EINVAL;
  std::uint32_t sizeFlag = 0;
  std::uint32_t parityFlags = 0;
  if (int error = ByteSizeFlag(block.ByteSize, sizeFlag)) return error;
  if (int error = ParityFlags(block.Parity, parityFlags)) return error;
  if (block.StopBits > 2) return EINVAL;
  const bool outX = (block.Flags & dcb::fOutX) != 0;
  const bool inX = (block.Flags & dcb::fInX) != 0;
  if ((outX || inX) && block.XonChar == block.XoffChar) return EINVAL;

  LineState state;
  state.line = current.line;

  // A break is counted by the driver and reported as an event; it does not
  // enter the data as a NUL. Parity errors reach the data unchanged unless
  // replacement was asked for, which the kernel does with NUL, the
  // component's default replacement character.
  state.iflag = IGNBRK;
  if (outX) state.iflag |= IXON;
  if (inX) state.iflag |= IXOFF;
  if ((block.Flags & dcb::fParity) && (block.Flags & dcb::fErrorChar)) state.iflag |= INPCK;

  const std::uint32_t rtsControl = block.Flags & dcb::fRtsControlMask;
  state.cflag = CREAD | CLOCAL | HUPCL | sizeFlag | parityFlags | RateCodeFor(block.BaudRate);
  if (block.StopBits != 0) state.cflag |= CSTOPB;  // one and a half is sent as two
  if ((block.Flags & dcb::fOutxCtsFlow) || rtsControl == dcb::fRtsControlHandshake) {
    state.cflag |= CRTSCTS;
  }
  state.ispeed = block.BaudRate;
  state.ospeed = block.BaudRate;

  // Raw: no output processing, no echo, no signals, no line editing. VMIN 1
  // makes a read of an empty queue on the non-blocking descriptor fail with
  // EAGAIN, so that a read of 0 bytes can only mean the line hung up.
  state.oflag = 0;
  state.lflag = 0;
  state.cc[VMIN] = 1;
  state.cc[VTIME] = 0;
  state.cc[VSTART] = static_cast<std::uint8_t>(block.XonChar);
  state.cc[VSTOP] = static_cast<std::uint8_t>(block.XoffChar);
  result = state;
  return 0;
}

ModemLineRequest HeldModemLines(const DeviceControlBlock& block) {
  ModemLineRequest request;
  // DTR handshake has no counterpart here; DTR is held on so that the peer
  // sees a ready terminal.
  request.dtr = (block.Flags & dcb::fDtrControlMask) == 0 ? HeldLine::Off : HeldLine::On;
  switch (block.Flags & dcb::fRtsControlMask) {
    case dcb::fRtsControlEnable: request.rts = HeldLine::On; break;
    case dcb::fRtsControlHandshake: request.rts = HeldLine::ByDriver; break;
    // Toggle raises RTS only while sending, and this component never sends.
    default: request.rts = HeldLine::Off; break;
  }
  return request;
}

std::uint32_t OutputRate(const LineState& state) {
  const std::uint32_t code = state.cflag & CBAUD;
  if (code == kArbitraryRateCode) return state.ospeed;
  for (const RateCode& entry : kRateCodes) {
    if (entry.code == code) return entry.rate;
  }
  return 0;
}

bool LineSettingsTook(const LineState& wanted, const LineState& applied) {
  constexpr std::uint32_t kControlFields = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
  constexpr std::uint32_t kInputFields = IXON | IXOFF | INPCK;
  if ((wanted.cflag & kControlFields) != (applied.cflag & kControlFields)) return false;
  if ((wanted.iflag & kInputFields) != (applied.iflag & kInputFields)) return false;
  const std::int64_t rate = OutputRate(wanted);
  const std::int64_t got = OutputRate(applied);
  const std::int64_t off = rate > got ? rate - got : got - rate;
  return off * 100 <= 3 * rate;
}
