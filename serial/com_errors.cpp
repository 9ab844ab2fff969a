#include "serial/com_errors.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 21> kMessages = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set SyncMethod while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
};

}  // namespace

std::string ComErrorMessage(std::int32_t code) {
  if (code >= 1 && code <= static_cast<std::int32_t>(kMessages.size()))
    return std::string(kMessages[static_cast<std::size_t>(code - 1)]);
  return "Unknown serial port error " + std::to_string(code);
}

EComPort::EComPort(std::int32_t code)
    : std::runtime_error(ComErrorMessage(code)), errorCode_(code), systemError_(-1) {}

EComPort::EComPort(std::int32_t code, std::int32_t systemError)
    : std::runtime_error(ComErrorMessage(code) + " (win error code: " +
                         std::to_string(systemError) + ")"),
      errorCode_(code),
      systemError_(systemError) {}

EComPort::EComPort(std::int32_t code, std::int32_t systemError, const std::string& detail)
    : std::runtime_error(ComErrorMessage(code) + " (win error code: " + std::to_string(systemError) +
                         ")" + (detail.empty() ? std::string() : ": " + detail)),
      errorCode_(code),
      systemError_(systemError) {}
