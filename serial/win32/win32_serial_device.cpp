#include "serial/win32/win32_serial_device.h"

#include "serial/win32/system_records.h"

namespace {

int LastError() { return static_cast<int>(GetLastError()); }

// 0 when the call succeeded, else the system's error number.
int Result(BOOL ok) { return ok ? 0 : LastError(); }

constexpr int kNotOpen = ERROR_INVALID_HANDLE;
// How long after its own timeouts a write is waited for before it is cancelled.
constexpr DWORD kWriteGraceMs = 500;

}  // namespace

Win32SerialDevice::Win32SerialDevice() {
  stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stopEvent_ == nullptr) stopEventError_ = LastError();
  waitRecord_.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (waitRecord_.hEvent == nullptr && stopEventError_ == 0) stopEventError_ = LastError();
}

Win32SerialDevice::~Win32SerialDevice() {
  Close();
  if (waitRecord_.hEvent != nullptr) CloseHandle(waitRecord_.hEvent);
  if (stopEvent_ != nullptr) CloseHandle(stopEvent_);
}

int Win32SerialDevice::Open(const std::string& port) {
  if (IsOpen()) return ERROR_BUSY;
  const std::string device = "\\\\.\\" + port;
  HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  handle_ = handle;
  return 0;
}

void Win32SerialDevice::FinishPendingWait() {
  if (!waitPending_) return;
  CancelIoEx(handle_, &waitRecord_);
  DWORD unused = 0;
  GetOverlappedResult(handle_, &waitRecord_, &unused, TRUE);
  waitPending_ = false;
}

void Win32SerialDevice::Close() {
  if (!IsOpen()) return;
  FinishPendingWait();
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

int Win32SerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t output) {
  if (!IsOpen()) return kNotOpen;
  return Result(SetupComm(handle_, input, output));
}

int Win32SerialDevice::SetLineParameters(const DeviceControlBlock& block) {
  if (!IsOpen()) return kNotOpen;
  DCB before{};
  before.DCBlength = sizeof before;
  if (!GetCommState(handle_, &before)) return LastError();
  DCB wanted = SystemControlBlock(block);
  if (!SetCommState(handle_, &wanted)) return LastError();
  DCB applied{};
  applied.DCBlength = sizeof applied;
  int error = Result(GetCommState(handle_, &applied));
  if (error == 0 && !LineSettingsTook(wanted, applied)) error = ERROR_INVALID_PARAMETER;
  // Refused after all: the line keeps the state it had.
  if (error != 0) SetCommState(handle_, &before);
  return error;
}

int Win32SerialDevice::SetTimeouts(const DeviceTimeouts& timeouts) {
  if (!IsOpen()) return kNotOpen;
  COMMTIMEOUTS system = SystemTimeouts(timeouts);
  return Result(SetCommTimeouts(handle_, &system));
}

int Win32SerialDevice::SetEventMask(std::uint32_t mask) {
  if (!IsOpen()) return kNotOpen;
  return Result(SetCommMask(handle_, mask));
}

WaitOutcome Win32SerialDevice::WaitForEvents(std::uint32_t& mask, int& error) {
  mask = 0;
  error = 0;
  if (!IsOpen()) {
    error = kNotOpen;
    return WaitOutcome::Failed;
  }
  if (stopEvent_ == nullptr || waitRecord_.hEvent == nullptr) {
    error = stopEventError_;
    return WaitOutcome::Failed;
  }
  // A wait that the stop signal left pending is taken up again rather than
  // started a second time.
  if (!waitPending_) {
    waitMask_ = 0;
    if (!WaitCommEvent(handle_, &waitMask_, &waitRecord_) && GetLastError() != ERROR_IO_PENDING) {
      // Not started: the event still shows an earlier state, so waiting on
      // it would deliver stale events or spin. The caller pauses and retries.
      error = LastError();
      return WaitOutcome::Failed;
    }
    waitPending_ = true;
  }
  const HANDLE waitSet[2] = {stopEvent_, waitRecord_.hEvent};
  const DWORD result = WaitForMultipleObjects(2, waitSet, FALSE, INFINITE);
  if (result == WAIT_OBJECT_0) return WaitOutcome::Stopped;
  if (result != WAIT_OBJECT_0 + 1) {
    error = LastError();
    return WaitOutcome::Failed;
  }
  DWORD unused = 0;
  if (!GetOverlappedResult(handle_, &waitRecord_, &unused, FALSE)) {
    error = LastError();
    waitPending_ = error == ERROR_IO_INCOMPLETE;
    // A wait that keeps completing with a failure (a driver that cannot
    // watch the line) must not become a busy loop: the caller pauses.
    return WaitOutcome::Failed;
  }
  waitPending_ = false;
  mask = waitMask_;
  return WaitOutcome::Events;
}

void Win32SerialDevice::StopWait() {
  if (stopEvent_ != nullptr) SetEvent(stopEvent_);
}

void Win32SerialDevice::ResetStop() {
  if (stopEvent_ != nullptr) ResetEvent(stopEvent_);
}

int Win32SerialDevice::QueueStatus(std::uint32_t& inputCount, std::uint32_t& errors) {
  inputCount = 0;
  errors = 0;
  if (!IsOpen()) return kNotOpen;
  DWORD flags = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &flags, &status)) return LastError();
  inputCount = status.cbInQue;
  errors = flags;
  return 0;
}

int Win32SerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  bytesRead = 0;
  if (!IsOpen()) return kNotOpen;
  if (count == 0) return 0;
  OVERLAPPED record{};
  record.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (record.hEvent == nullptr) return LastError();
  int error = 0;
  if (!ReadFile(handle_, buffer, count, nullptr, &record) && GetLastError() != ERROR_IO_PENDING) {
    error = LastError();
  } else {
    DWORD transferred = 0;
    if (WaitForSingleObject(record.hEvent, INFINITE) != WAIT_OBJECT_0) {
      error = LastError();
      // The record lives on this stack: the read must be over before it goes.
      CancelIoEx(handle_, &record);
      GetOverlappedResult(handle_, &record, &transferred, TRUE);
    } else if (!GetOverlappedResult(handle_, &record, &transferred, FALSE)) {
      error = LastError();
    } else {
      bytesRead = transferred;
    }
  }
  CloseHandle(record.hEvent);
  return error;
}

int Win32SerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
                             std::uint32_t& written) {
  written = 0;
  if (!IsOpen()) return kNotOpen;
  if (count == 0) return 0;
  OVERLAPPED record{};
  record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (record.hEvent == nullptr) return LastError();
  int error = 0;
  DWORD transferred = 0;
  if (!WriteFile(handle_, buffer, count, nullptr, &record) && GetLastError() != ERROR_IO_PENDING) {
    error = LastError();
  } else {
    // The driver ends the write by the timeouts set with SetCommTimeouts;
    // the wait is bounded as well, a little after them, for a driver that
    // keeps none (write timeouts 0/0) or does not keep them.
    const DWORD limit = timeoutMs > INFINITE - 1 - kWriteGraceMs ? INFINITE - 1 : timeoutMs + kWriteGraceMs;
    const DWORD waited = WaitForSingleObject(record.hEvent, limit);
    if (waited != WAIT_OBJECT_0) {
      error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : LastError();
      // The record lives on this stack: the write must be over before it goes.
      CancelIoEx(handle_, &record);
      GetOverlappedResult(handle_, &record, &transferred, TRUE);
    } else if (!GetOverlappedResult(handle_, &record, &transferred, FALSE)) {
      error = LastError();
    } else if (transferred < count) {
      // A write that the driver's own timeout ended succeeds with less.
      error = ERROR_TIMEOUT;
    }
    written = transferred;
  }
  CloseHandle(record.hEvent);
  return error;
}

int Win32SerialDevice::ModemStatus(std::uint32_t& status) {
  status = 0;
  if (!IsOpen()) return kNotOpen;
  DWORD lines = 0;
  if (!GetCommModemStatus(handle_, &lines)) return LastError();
  status = lines & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
  return 0;
}

int Win32SerialDevice::Purge(std::uint32_t flags) {
  if (!IsOpen()) return kNotOpen;
  return Result(PurgeComm(handle_, flags));
}
