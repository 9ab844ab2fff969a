#pragma once

#include <cstdint>

// Speed setting of the serial port component; the ordinals are stored and
// compared, so the order of the members is fixed.
enum TBaudRate : std::uint8_t {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000,
};
