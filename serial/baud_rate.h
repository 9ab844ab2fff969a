#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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

// Each speed with the bits per second it sets on the device (brCustom: the
// component's custom rate) and its text, as the settings store writes it.
struct BaudRateFacts {
  TBaudRate rate;
  std::uint32_t bitsPerSecond;
  std::string_view text;
};

// Indexed by the ordinal.
inline constexpr std::array<BaudRateFacts, 16> kBaudRates = {{
    {brCustom, 0, "Custom"},       {br110, 110, "110"},          {br300, 300, "300"},
    {br600, 600, "600"},           {br1200, 1200, "1200"},       {br2400, 2400, "2400"},
    {br4800, 4800, "4800"},        {br9600, 9600, "9600"},       {br14400, 14400, "14400"},
    {br19200, 19200, "19200"},     {br38400, 38400, "38400"},    {br56000, 56000, "56000"},
    {br57600, 57600, "57600"},     {br115200, 115200, "115200"}, {br128000, 128000, "128000"},
    {br256000, 256000, "256000"},
}};

// The speeds the program offers, br110 to br115200: the choices of the
// transmission dialog, the values konfig.ini takes and the speeds the
// status texts name.
inline constexpr TBaudRate kFirstOfferedRate = br110;
inline constexpr TBaudRate kLastOfferedRate = br115200;
inline constexpr int kOfferedRateCount = kLastOfferedRate - kFirstOfferedRate + 1;

constexpr bool IsOfferedRate(TBaudRate rate) {
  return rate >= kFirstOfferedRate && rate <= kLastOfferedRate;
}
