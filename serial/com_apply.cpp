// Passing the settings to the device: the device control block, the
// timeouts and the queue sizes.

#include <array>

#include "serial/com_port.h"

namespace {

constexpr std::array<std::uint32_t, 3> kDtrFlags = {0, dcb::fDtrControlEnable,
                                                    dcb::fDtrControlHandshake};
constexpr std::array<std::uint32_t, 4> kRtsFlags = {0, dcb::fRtsControlEnable,
                                                    dcb::fRtsControlHandshake,
                                                    dcb::fRtsControlToggle};

// The size of the Windows DCB record, which the length field carries.
constexpr std::uint32_t kDcbLength = 28;

}  // namespace

DeviceControlBlock TCustomComPort::MakeDeviceControlBlock() const {
  DeviceControlBlock block;
  block.DCBlength = kDcbLength;
  block.BaudRate = baudRate_ == brCustom ? static_cast<std::uint32_t>(customBaudRate_)
                                         : kBaudRates[baudRate_].bitsPerSecond;

  const TComParity& parity = *parity_;
  const TComFlowControl& flow = *flowControl_;
  const bool errorChar = parity.Check() && parity.Replace();
  std::uint32_t flags = dcb::fBinary;
  if (parity.Check()) flags |= dcb::fParity;
  if (flow.OutCTSFlow()) flags |= dcb::fOutxCtsFlow;
  if (flow.OutDSRFlow()) flags |= dcb::fOutxDsrFlow;
  flags |= kDtrFlags[flow.ControlDTR()];
  if (flow.DSRSensitivity()) flags |= dcb::fDsrSensitivity;
  if (flow.TxContinueOnXoff()) flags |= dcb::fTXContinueOnXoff;
  if (flow.XonXoffOut()) flags |= dcb::fOutX;
  if (flow.XonXoffIn()) flags |= dcb::fInX;
  if (errorChar) flags |= dcb::fErrorChar;
  if (discardNull_) flags |= dcb::fNull;
  flags |= kRtsFlags[flow.ControlRTS()];
  block.Flags = flags;

  const auto limit = static_cast<std::uint16_t>(buffer_->InputSize() / 4);
  block.XonLim = limit;
  block.XoffLim = limit;
  block.ByteSize = static_cast<std::uint8_t>(5 + dataBits_);
  block.Parity = static_cast<std::uint8_t>(parity.Bits());
  block.StopBits = static_cast<std::uint8_t>(stopBits_);
  block.XonChar = flow.XonChar();
  block.XoffChar = flow.XoffChar();
  block.ErrorChar = errorChar ? parity.ReplaceChar() : 0;
  block.EvtChar = eventChar_;
  return block;
}

DeviceTimeouts TCustomComPort::MakeDeviceTimeouts() const {
  // -1 is the device's maximum, 0xFFFFFFFF: the plain 32-bit pattern of -1,
  // as every other value is passed by its pattern.
  const TComTimeouts& t = *timeouts_;
  DeviceTimeouts record;
  record.ReadIntervalTimeout = static_cast<std::uint32_t>(t.ReadInterval());
  record.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(t.ReadTotalMultiplier());
  record.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(t.ReadTotalConstant());
  record.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(t.WriteTotalMultiplier());
  record.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(t.WriteTotalConstant());
  return record;
}

void TCustomComPort::ApplyAllSettings() {
  ApplyBufferSettings();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::ApplyLineSettings() {
  if (!CanApply()) return;
  if (const int error = device_->SetLineParameters(MakeDeviceControlBlock()))
    throw EComPort(ecSetStateFailed, error);
}

void TCustomComPort::ApplyTimeoutSettings() {
  if (!CanApply()) return;
  if (const int error = device_->SetTimeouts(MakeDeviceTimeouts()))
    throw EComPort(ecSetTimeoutsFailed, error);
}

void TCustomComPort::ApplyBufferSettings() {
  if (!CanApply()) return;
  if (const int error = device_->SetQueueSizes(static_cast<std::uint32_t>(buffer_->InputSize()),
                                               static_cast<std::uint32_t>(buffer_->OutputSize())))
    throw EComPort(ecSetupFailed, error);
}
