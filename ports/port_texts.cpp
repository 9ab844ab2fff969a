// What the hints say alike on every platform: the line format, the mapping
// line and the hint for an open port.
#include <cstdlib>

#include "ports/port_hint.h"
#include "ports/port_mapping.h"
#include "serial/com_texts.h"

LineSettings LineSettingsOf(const DeviceControlBlock& block) {
  LineSettings line;
  line.speed = block.BaudRate;
  line.format.dataBits = block.ByteSize;
  line.format.parity = block.Parity;
  line.format.stopBits = block.StopBits;
  line.format.given = true;
  return line;
}

LineSettings LineSettingsOf(TBaudRate rate) {
  LineSettings line;
  line.speed = rate < kBaudRates.size() ? kBaudRates[rate].bitsPerSecond : 0;
  return line;
}

std::string MappingText(const PortMapping& mapping) {
  std::string text = mapping.port + " → " + (mapping.path.empty() ? "?" : mapping.path);
  if (!mapping.target.empty() && mapping.target != mapping.path) text += " → " + mapping.target;
  return text;
}

std::string ConnectedHint(const PortMapping& mapping, const LineSettings& line, int silentSeconds) {
  const std::string head = MappingLine(mapping) + "\n";
  const std::string speed = std::to_string(line.speed) + " bps";
  if (silentSeconds <= 0) return head + "Port otwarty, " + speed + ".";
  return head + "Port jest otwarty (" + speed + "), ale waga nic nie przysłała od " +
         std::to_string(silentSeconds) + " s.\nSprawdź, czy waga jest włączona i podłączona "
         "i czy ma ustawioną prędkość " + speed + ", tę samą co program (Ustawienia transmisji).";
}
