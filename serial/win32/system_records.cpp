#include "serial/win32/system_records.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#define WAGA_SAME_FIELD(field)                                               \
  static_assert(offsetof(DCB, field) == offsetof(DeviceControlBlock, field) && \
                sizeof(DCB::field) == sizeof(DeviceControlBlock::field))

static_assert(sizeof(DCB) == sizeof(DeviceControlBlock));
WAGA_SAME_FIELD(DCBlength);
WAGA_SAME_FIELD(BaudRate);
WAGA_SAME_FIELD(wReserved);
WAGA_SAME_FIELD(XonLim);
WAGA_SAME_FIELD(XoffLim);
WAGA_SAME_FIELD(ByteSize);
WAGA_SAME_FIELD(Parity);
WAGA_SAME_FIELD(StopBits);
WAGA_SAME_FIELD(XonChar);
WAGA_SAME_FIELD(XoffChar);
WAGA_SAME_FIELD(ErrorChar);
WAGA_SAME_FIELD(EofChar);
WAGA_SAME_FIELD(EvtChar);
WAGA_SAME_FIELD(wReserved1);
// The flags word is the DCB's bit fields, fBinary in its lowest bit.
static_assert(offsetof(DeviceControlBlock, Flags) == offsetof(DCB, BaudRate) + sizeof(DWORD));

#undef WAGA_SAME_FIELD

DCB SystemControlBlock(const DeviceControlBlock& block) {
  DCB system;
  std::memcpy(&system, &block, sizeof system);
  return system;
}

COMMTIMEOUTS SystemTimeouts(const DeviceTimeouts& timeouts) {
  COMMTIMEOUTS system{};
  system.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
  system.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
  system.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
  system.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
  system.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
  return system;
}

bool LineSettingsTook(const DCB& wanted, const DCB& applied) {
  if (wanted.ByteSize != applied.ByteSize || wanted.Parity != applied.Parity ||
      wanted.StopBits != applied.StopBits || wanted.fParity != applied.fParity ||
      wanted.fOutxCtsFlow != applied.fOutxCtsFlow || wanted.fOutX != applied.fOutX ||
      wanted.fInX != applied.fInX) {
    return false;
  }
  const std::int64_t rate = wanted.BaudRate;
  const std::int64_t got = applied.BaudRate;
  const std::int64_t off = rate > got ? rate - got : got - rate;
  return off * 100 <= 3 * rate;
}
