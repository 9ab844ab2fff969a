// What the hints say alike on every platform: the line format, the mapping
// line and the hint for an open port.
#include <cstdlib>

#include "ports/port_hint.h"
#include "ports/port_mapping.h"
#include "serial/com_texts.h"

LineFormat LineFormatOf(const DeviceControlBlock& block) {
  static constexpr char kParities[] = "NOEMS";
  LineFormat line;
  line.speed = block.BaudRate;
  line.dataBits = block.ByteSize;
  line.parity = block.Parity < 5 ? kParities[block.Parity] : '?';
  line.stopBits = block.StopBits == 0 ? 1 : 2;
  return line;
}

LineFormat LineFormatOf(TBaudRate rate) {
  LineFormat line;
  line.speed = static_cast<std::uint32_t>(std::strtoul(BaudRateToText(rate).c_str(), nullptr, 10));
  return line;
}

std::string MappingText(const PortMapping& mapping) {
  std::string text = mapping.port + " → " + (mapping.path.empty() ? "?" : mapping.path);
  if (!mapping.target.empty() && mapping.target != mapping.path) text += " → " + mapping.target;
  return text;
}

std::string ConnectedHint(const PortMapping& mapping, const LineFormat& line, int silentSeconds) {
  const std::string head = MappingLine(mapping) + "\n";
  const std::string speed = std::to_string(line.speed) + " bps";
  if (silentSeconds <= 0) return head + "Port otwarty, " + speed + ".";
  return head + "Port jest otwarty (" + speed + "), ale waga nic nie przysłała od " +
         std::to_string(silentSeconds) + " s.\nSprawdź, czy waga jest włączona i podłączona "
         "i czy ma ustawioną prędkość " + speed + ", tę samą co program (Ustawienia transmisji).";
}
