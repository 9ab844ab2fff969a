// Reading received data, the input queue count, line errors and modem
// lines, and the Process operations that the event thread's deliveries run.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "serial/com_port.h"
#include "serial/com_thread.h"

namespace {

// Every device call on a component that never had a device fails as on a
// closed device.
constexpr int kNoDevice = EBADF;

std::uint32_t ReadCount(std::int32_t count) {
  return count > 0 ? static_cast<std::uint32_t>(count) : 0;
}

}  // namespace

TModemSignals TCustomComPort::ReadModemSignals() {
  std::uint32_t status = 0;
  const int error = device_ ? device_->ModemStatus(status) : kNoDevice;
  if (error != 0) throw EComPort(ecModemStatusFailed, error);
  TModemSignals signals;
  if (status & ms::CTS_ON) signals.Include(msCTS);
  if (status & ms::DSR_ON) signals.Include(msDSR);
  if (status & ms::RING_ON) signals.Include(msRing);
  if (status & ms::RLSD_ON) signals.Include(msRLSD);
  return signals;
}

void TCustomComPort::AbortPendingIo() noexcept {
  if (device_) device_->Purge(purge::TXABORT | purge::RXABORT);
}

void TCustomComPort::CreatePendingIo(PPendingIo& io) { io = std::make_unique<PendingIo>(); }

void TCustomComPort::FreePendingIo(PPendingIo& io) { io.reset(); }

std::int32_t TCustomComPort::StartRead(void* buffer, std::int32_t count, PendingIo& io) {
  io.Kind = TPendingIoKind::Read;
  io.Transferred = 0;
  std::uint32_t bytesRead = 0;
  const int error = device_ ? device_->Read(static_cast<char*>(buffer), ReadCount(count), bytesRead)
                            : kNoDevice;
  if (error != 0) throw EComPort(ecReadFailed, error);
  io.Transferred = bytesRead;
  return static_cast<std::int32_t>(bytesRead);
}

std::int32_t TCustomComPort::StartReadString(std::string& text, std::int32_t count,
                                             PendingIo& io) {
  text.assign(ReadCount(count), '\0');
  return StartRead(text.data(), count, io);
}

std::int32_t TCustomComPort::WaitForPendingIo(PendingIo* io) {
  if (!io) throw EComPort(ecInvalidAsync);
  // The queue query is made for its side effect: it clears the device's
  // pending line errors after a read. Its count has no use here, so the
  // device is asked for the errors alone.
  if (io->Kind == TPendingIoKind::Read) {
    std::uint32_t errors = 0;
    const int error = device_ ? device_->ClearErrors(errors) : kNoDevice;
    if (error != 0) throw EComPort(ecClearErrorFailed, error);
  }
  return static_cast<std::int32_t>(io->Transferred);
}

std::int32_t TCustomComPort::ReadString(std::string& text, std::int32_t count) {
  PPendingIo io;
  CreatePendingIo(io);
  try {
    StartReadString(text, count, *io);
    const std::int32_t read = WaitForPendingIo(io.get());
    text.resize(static_cast<std::size_t>(read));
    FreePendingIo(io);
    return read;
  } catch (...) {
    FreePendingIo(io);
    throw;
  }
}

std::int32_t TCustomComPort::Read(void* buffer, std::int32_t count) {
  PPendingIo io;
  CreatePendingIo(io);
  try {
    StartRead(buffer, count, *io);
    const std::int32_t read = WaitForPendingIo(io.get());
    FreePendingIo(io);
    return read;
  } catch (...) {
    FreePendingIo(io);
    throw;
  }
}

std::uint32_t TCustomComPort::WriteTimeoutMs(std::uint32_t count) const {
  // The fields go to the device by their 32-bit pattern, -1 as the maximum.
  std::uint64_t multiplier = static_cast<std::uint32_t>(timeouts_->WriteTotalMultiplier());
  std::uint64_t constant = static_cast<std::uint32_t>(timeouts_->WriteTotalConstant());
  if (multiplier == 0 && constant == 0) {
    const TComTimeouts defaults;
    multiplier = static_cast<std::uint32_t>(defaults.WriteTotalMultiplier());
    constant = static_cast<std::uint32_t>(defaults.WriteTotalConstant());
  }
  const std::uint64_t total = multiplier * count + constant;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kMaxWriteTimeoutMs));
}

std::int32_t TCustomComPort::Write(const void* buffer, std::int32_t count) {
  const std::uint32_t size = ReadCount(count);
  std::uint32_t written = 0;
  const int error = device_ ? device_->Write(static_cast<const char*>(buffer), size, WriteTimeoutMs(size), written)
                            : kNoDevice;
  if (error != 0) throw EComPort(ecWriteFailed, error);
  return static_cast<std::int32_t>(written);
}

std::int32_t TCustomComPort::WriteString(const std::string& text) {
  if (text.size() > static_cast<std::size_t>(INT32_MAX)) throw EComPort(ecWriteFailed, EINVAL);
  return Write(text.data(), static_cast<std::int32_t>(text.size()));
}

std::int32_t TCustomComPort::InputQueueCount() {
  std::uint32_t count = 0;
  std::uint32_t errors = 0;
  const int error = device_ ? device_->QueueStatus(count, errors) : kNoDevice;
  if (error != 0) throw EComPort(ecClearErrorFailed, error);
  return static_cast<std::int32_t>(count);
}

TComErrors TCustomComPort::ReadLineErrors() {
  std::uint32_t count = 0;
  std::uint32_t flags = 0;
  const int error = device_ ? device_->QueueStatus(count, flags) : kNoDevice;
  if (error != 0) throw EComPort(ecClearErrorFailed, error);
  TComErrors errors;
  if (flags & ce::FRAME) errors.Include(ceFraming);
  if ((flags & ce::RXPARITY) && Parity().Check()) errors.Include(ceParity);
  if (flags & ce::OVERRUN) errors.Include(ceOverrun);
  if (flags & ce::BREAK) errors.Include(ceBreak);
  if (flags & ce::IOE) errors.Include(ceDeviceIO);
  if (flags & ce::MODE) errors.Include(ceBadMode);
  if (flags & ce::RXOVER) errors.Include(ceInputOverflow);
  if (flags & ce::TXFULL) errors.Include(ceOutputFull);
  return errors;
}

void TCustomComPort::ProcessRxChar() {
  const std::int32_t count = InputQueueCount();
  if (count > 0) FireRxChar(count);
}
void TCustomComPort::ProcessTxEmpty() { FireTxEmpty(); }
void TCustomComPort::ProcessBreak() { FireBreak(); }
void TCustomComPort::ProcessRing() { FireRing(); }
void TCustomComPort::ProcessCTSChange() { FireCTSChange(ReadModemSignals().Contains(msCTS)); }
void TCustomComPort::ProcessDSRChange() { FireDSRChange(ReadModemSignals().Contains(msDSR)); }
void TCustomComPort::ProcessRxFlag() { FireRxFlag(); }
void TCustomComPort::ProcessRLSDChange() { FireRLSDChange(ReadModemSignals().Contains(msRLSD)); }
void TCustomComPort::ProcessError() { FireError(ReadLineErrors()); }
void TCustomComPort::ProcessRx80Full() { FireRx80Full(); }

std::intptr_t TCustomComPort::SyncWindowProc(std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t) {
  if (message != kComEventMessage) return 0;
  switch (wParam) {
    case ev::RXCHAR: ProcessRxChar(); break;
    case ev::RXFLAG: ProcessRxFlag(); break;
    case ev::TXEMPTY: ProcessTxEmpty(); break;
    case ev::CTS: ProcessCTSChange(); break;
    case ev::DSR: ProcessDSRChange(); break;
    case ev::RLSD: ProcessRLSDChange(); break;
    case ev::BREAK: ProcessBreak(); break;
    case ev::ERR: ProcessError(); break;
    case ev::RING: ProcessRing(); break;
    case ev::RX80FULL: ProcessRx80Full(); break;
    default: break;
  }
  return 0;
}
