#include "protocols/scale_protocol.h"

#include "protocols/line_fields.h"

namespace {
constexpr std::array<std::string_view, kProtocolIds.size()> kIdTexts = {
    "liczba", "jednostka", "si", "st", "esc_p", "ramka"};
}  // namespace

std::string_view ProtocolIdText(ProtocolId id) { return kIdTexts[static_cast<std::size_t>(id)]; }

std::optional<ProtocolId> ProtocolIdFromText(std::string_view text) {
  for (ProtocolId id : kProtocolIds) {
    if (ProtocolIdText(id) == text) return id;
  }
  return std::nullopt;
}

ClassifiedLine ClassifyLine(ProtocolId protocol, std::string_view line) {
  switch (protocol) {
    case ProtocolId::Liczba: return ReadNumberLine(line);
    case ProtocolId::Jednostka: return ReadUnitLine(line);
    case ProtocolId::Si: return ReadCommandSetLine(line);
    case ProtocolId::St: return ReadHeaderLine(line);
    case ProtocolId::EscP: return ReadEscPLine(line);
    case ProtocolId::Ramka: return ReadFrameLine(line);
  }
  return {};
}

const ProtocolCommands& CommandsOf(ProtocolId protocol) {
  static const std::array<ProtocolCommands, kProtocolIds.size()> commands = {{
      {},                                  // liczba: the scale sends by itself
      {},                                  // jednostka
      {"SI\r\n", "T\r\n", "Z\r\n"},        // si
      {"Q\r\n", "T\r\n", "Z\r\n"},         // st
      {"\x1bP", "\x1bT", ""},              // esc_p
      {"SI\r\n", "T\r\n", "Z\r\n"},        // ramka
  }};
  return commands[static_cast<std::size_t>(protocol)];
}
