#pragma once

#include <cstdint>
#include <string>

// The operations through which the serial port component drives a device.
// Every operation that can fail returns 0 on success or the system error
// number (errno on Linux); the component turns that into an EComPort.
// One event wait may run on the event thread while the UI thread reads and
// queries the same device.

// Line parameters, laid out like the Windows DCB record so that the component
// fills it the same way on every platform.
struct DeviceControlBlock {
  std::uint32_t DCBlength = 0;
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;  // fBinary 0x0001 ... fAbortOnError 0x4000
  std::uint16_t wReserved = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  std::uint16_t wReserved1 = 0;
};

namespace dcb {
inline constexpr std::uint32_t fBinary = 0x0001;
inline constexpr std::uint32_t fParity = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t fDtrControlMask = 0x0030;
inline constexpr std::uint32_t fDtrControlEnable = 0x0010;
inline constexpr std::uint32_t fDtrControlHandshake = 0x0020;
inline constexpr std::uint32_t fDsrSensitivity = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX = 0x0100;
inline constexpr std::uint32_t fInX = 0x0200;
inline constexpr std::uint32_t fErrorChar = 0x0400;
inline constexpr std::uint32_t fNull = 0x0800;
inline constexpr std::uint32_t fRtsControlMask = 0x3000;
inline constexpr std::uint32_t fRtsControlEnable = 0x1000;
inline constexpr std::uint32_t fRtsControlHandshake = 0x2000;
inline constexpr std::uint32_t fRtsControlToggle = 0x3000;
inline constexpr std::uint32_t fAbortOnError = 0x4000;
}  // namespace dcb

// Read and write timeouts in the field order of the Windows COMMTIMEOUTS
// record; 0xFFFFFFFF stands for "maximum".
struct DeviceTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Device event mask bits (the Windows EV_* values).
namespace ev {
inline constexpr std::uint32_t RXCHAR = 0x0001;
inline constexpr std::uint32_t RXFLAG = 0x0002;
inline constexpr std::uint32_t TXEMPTY = 0x0004;
inline constexpr std::uint32_t CTS = 0x0008;
inline constexpr std::uint32_t DSR = 0x0010;
inline constexpr std::uint32_t RLSD = 0x0020;
inline constexpr std::uint32_t BREAK = 0x0040;
inline constexpr std::uint32_t ERR = 0x0080;
inline constexpr std::uint32_t RING = 0x0100;
inline constexpr std::uint32_t RX80FULL = 0x0400;
}  // namespace ev

// Line error flags (the Windows CE_* values).
namespace ce {
inline constexpr std::uint32_t RXOVER = 0x0001;
inline constexpr std::uint32_t OVERRUN = 0x0002;
inline constexpr std::uint32_t RXPARITY = 0x0004;
inline constexpr std::uint32_t FRAME = 0x0008;
inline constexpr std::uint32_t BREAK = 0x0010;
inline constexpr std::uint32_t TXFULL = 0x0100;
inline constexpr std::uint32_t IOE = 0x0400;
inline constexpr std::uint32_t MODE = 0x8000;
}  // namespace ce

// Modem status bits (the Windows MS_*_ON values).
namespace ms {
inline constexpr std::uint32_t CTS_ON = 0x0010;
inline constexpr std::uint32_t DSR_ON = 0x0020;
inline constexpr std::uint32_t RING_ON = 0x0040;
inline constexpr std::uint32_t RLSD_ON = 0x0080;
}  // namespace ms

// Purge flags (the Windows PURGE_* values).
namespace purge {
inline constexpr std::uint32_t TXABORT = 0x0001;
inline constexpr std::uint32_t RXABORT = 0x0002;
inline constexpr std::uint32_t TXCLEAR = 0x0004;
inline constexpr std::uint32_t RXCLEAR = 0x0008;
}  // namespace purge

// Result of one wait for device events.
enum class WaitOutcome {
  Events,   // the mask holds the events that occurred (possibly none of ours)
  Stopped,  // the stop signal was raised
  Failed,   // the wait itself failed; the error number is returned as well
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens the device that the port name ("COM1".."COM16") stands for, for
  // reading and writing, exclusively.
  virtual int Open(const std::string& port) = 0;
  virtual bool IsOpen() const = 0;
  // Why the last Open failed, where the error number alone does not tell (a
  // malformed porty.ini line, a host name that is not found): a sentence in
  // Polish, Windows-1250. Empty otherwise.
  virtual std::string OpenFailureDetail() const { return {}; }
  virtual int SetQueueSizes(std::uint32_t input, std::uint32_t output) = 0;
  // On failure the device keeps the line state it had.
  virtual int SetLineParameters(const DeviceControlBlock& block) = 0;
  virtual int SetTimeouts(const DeviceTimeouts& timeouts) = 0;
  virtual int SetEventMask(std::uint32_t mask) = 0;

  // Blocks until one of the selected events occurs or StopWait() is called.
  // Never spins: a device that hung up waits for the stop signal.
  // `error` receives the system error number of a failed wait.
  virtual WaitOutcome WaitForEvents(std::uint32_t& mask, int& error) = 0;
  // Raises the stop signal; callable from any thread. Stays raised until
  // ResetStop(), which the component calls before it starts a new event thread.
  virtual void StopWait() = 0;
  virtual void ResetStop() = 0;

  // Bytes waiting in the input queue and the line errors (CE_* flags); the
  // call clears the error state.
  virtual int QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) = 0;
  // The line errors alone, clearing the error state, for a caller that has
  // no use for the count; a device that can tell them apart saves a call.
  virtual int ClearErrors(std::uint32_t& errors) {
    std::uint32_t inputCount = 0;
    return QueueStatus(inputCount, errors);
  }
  // Reads what has arrived, at most `count` bytes, without waiting.
  virtual int Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) = 0;
  // Sends all `count` bytes, waiting for the device to take them at most
  // `timeoutMs` in all. `written` receives how many went out; a write that
  // ran out of time returns the system's timeout number (ETIMEDOUT,
  // ERROR_TIMEOUT) with `written` short of `count`.
  virtual int Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                    std::uint32_t& written) = 0;
  // MS_*_ON bits; a device without modem lines reports all lines off.
  virtual int ModemStatus(std::uint32_t& status) = 0;
  virtual int Purge(std::uint32_t flags) = 0;
  virtual void Close() = 0;
};
