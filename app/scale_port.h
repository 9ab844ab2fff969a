#pragma once

// The serial component of the main window, as far as the shell uses it.
// Stand-in with the component's member names until the component lands.

#include <string>
#include <string_view>

#include "serial/baud_rate.h"

class PendingComPort {
 public:
  const std::string& Port() const { return port_; }
  void SetPort(std::string_view value) { port_ = std::string(value); }
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value) { baudRate_ = value; }
  bool Connected() const { return connected_; }
  void Open() { connected_ = true; }
  void Close() { connected_ = false; }

 private:
  std::string port_ = "COM1";
  TBaudRate baudRate_ = br9600;
  bool connected_ = false;
};

using ScalePortComponent = PendingComPort;
