#pragma once

// The serial port as acquisition uses it. The main window implements it over
// its TComPort; tests with a plain struct. Open, Close, ReadString and
// WriteString may throw (EComPort or another std::exception).

#include <stdexcept>
#include <string>

#include "ports/port_hint.h"
#include "serial/baud_rate.h"

class ScalePort {
 public:
  virtual ~ScalePort() = default;

  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool Connected() const = 0;
  // Current settings: the port name ("COM2") and the speed.
  virtual std::string Port() const = 0;
  virtual TBaudRate BaudRate() const = 0;
  // The line settings the port is opened with, for the texts that explain
  // a failure.
  virtual LineSettings Line() const { return LineSettingsOf(BaudRate()); }
  // Reads up to `count` waiting bytes into `text`; returns how many.
  virtual int ReadString(std::string& text, int count) = 0;
  // Sends all the bytes (requests, tare, zero) within the port's write
  // timeouts. A port that cannot write refuses.
  virtual void WriteString(const std::string&) { throw std::runtime_error("port cannot write"); }
};
