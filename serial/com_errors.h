#pragma once

// The one exception class of the serial port component: a component error
// code that selects a fixed message, and the system error number (errno)
// when the failure came from a device call.

#include <cstdint>
#include <stdexcept>
#include <string>

inline constexpr std::int32_t ecOpenFailed = 1;
inline constexpr std::int32_t ecWriteFailed = 2;
inline constexpr std::int32_t ecReadFailed = 3;
inline constexpr std::int32_t ecInvalidAsync = 4;
inline constexpr std::int32_t ecPurgeFailed = 5;
inline constexpr std::int32_t ecAsyncStatusFailed = 6;
inline constexpr std::int32_t ecSetStateFailed = 7;
inline constexpr std::int32_t ecSetTimeoutsFailed = 8;
inline constexpr std::int32_t ecSetupFailed = 9;
inline constexpr std::int32_t ecClearErrorFailed = 10;
inline constexpr std::int32_t ecModemStatusFailed = 11;
inline constexpr std::int32_t ecEscapeFailed = 12;
inline constexpr std::int32_t ecTransmitFailed = 13;
inline constexpr std::int32_t ecSyncMethodWhileOpen = 14;
inline constexpr std::int32_t ecEnumPortsFailed = 15;
inline constexpr std::int32_t ecStoreFailed = 16;
inline constexpr std::int32_t ecLoadFailed = 17;
inline constexpr std::int32_t ecLinkRegistration = 18;
inline constexpr std::int32_t ecLedState = 19;
inline constexpr std::int32_t ecThreadExists = 20;
inline constexpr std::int32_t ecWaitForEventFailed = 21;

// The fixed message of a component error code; an unknown code gets a text
// that names the number.
std::string ComErrorMessage(std::int32_t code);

class EComPort : public std::runtime_error {
 public:
  // A failure detected by the component itself: SystemError is -1.
  explicit EComPort(std::int32_t code);
  // A failed device call: the message ends in " (win error code: <n>)".
  EComPort(std::int32_t code, std::int32_t systemError);
  // As above, followed by ": " and the device's own explanation when there
  // is one.
  EComPort(std::int32_t code, std::int32_t systemError, const std::string& detail);

  std::int32_t ErrorCode() const { return errorCode_; }
  std::int32_t SystemError() const { return systemError_; }

 private:
  std::int32_t errorCode_;
  std::int32_t systemError_;
};
