// ramka: the framed command style. The mass frame: the command padded to
// three ("SI "), the stability character (blank stable, '?' in motion, '^'
// above the range, 'v' below), a blank, the sign (blank or '-'), the value
// right-aligned in nine, a blank, the unit left-aligned in three:
// "SI ?       18.5 kg ", "S    -      8.5 g  ". The print key's frame has
// no command ("? -    2.237 lb "). Short replies: "XX A" accepted, "XX D"
// done, "XX I" not now, "XX ^" / "XX v" out of range, "XX E" no stability
// in time, "ES" unknown command.

#include <array>

#include "protocols/line_fields.h"

using namespace line_fields;

namespace {

constexpr std::array<CommandWord, 7> kCommands = {{{"S", ScaleCommand::Request},
                                                   {"SI", ScaleCommand::Request},
                                                   {"SU", ScaleCommand::Request},
                                                   {"SUI", ScaleCommand::Request},
                                                   {"T", ScaleCommand::Tare},
                                                   {"Z", ScaleCommand::Zero},
                                                   {"OT", ScaleCommand::None}}};

constexpr std::size_t kCommandField = 3;
constexpr std::size_t kMassFrame = 16;  // from the stability character on

// From the stability character to the unit.
ClassifiedLine ReadMass(std::string_view frame, ScaleCommand command) {
  // The unit's trailing blanks may have been cut.
  if (frame.size() < kMassFrame - 2 || frame.size() > kMassFrame) return {};
  const char stability = frame[0];
  if (frame[1] != ' ' || (frame[2] != ' ' && frame[2] != '-') || frame[12] != ' ') return {};
  if (stability == '^') return StatusLine(StatusKind::Overload, command);
  if (stability == 'v') return StatusLine(StatusKind::Underload, command);
  if (stability != ' ' && stability != '?') return {};
  std::string value;
  if (frame[2] == '-') value.push_back('-');
  const std::string_view field = SkipBlanks(frame.substr(3, 9));
  if (!field.empty() && (field.front() == '+' || field.front() == '-')) return {};  // the sign has its column
  value.append(field);
  std::string_view number = value;
  ScaleReading reading;
  if (!ReadNumber(number, reading, false) || !number.empty()) return {};
  std::string_view unitField = TrimBlanks(frame.substr(13));
  if (!unitField.empty()) {
    std::string_view unit;
    if (frame[13] == ' ' || !ReadUnit(unitField, unit) || !unitField.empty()) return {};
    reading.unit = std::string(unit);
  }
  reading.stability = stability == '?' ? Stability::Motion : Stability::Stable;
  return ReadingLine(std::move(reading));
}

}  // namespace

ClassifiedLine ReadFrameLine(std::string_view line) {
  if (line.size() > kMaxLine || !IsPrintable(line)) return {};
  const std::string_view text = TrimBlanks(line);
  if (text == "ES") return StatusLine(StatusKind::Error, ScaleCommand::None, text);

  // A short reply: the command, a blank, one letter.
  if (text.size() >= 3 && text[text.size() - 2] == ' ' && SkipBlanks(line).size() == line.size()) {
    const std::string_view id = TrimBlanks(text.substr(0, text.size() - 2));
    const CommandWord* command = FindCommandWord(kCommands, id);
    if (command && command->command != ScaleCommand::None) {
      const ScaleCommand which = command->command;
      switch (text.back()) {
        case 'A': return StatusLine(StatusKind::Accepted, which);
        case 'D': return StatusLine(StatusKind::Done, which);
        case 'I': return StatusLine(StatusKind::Busy, which);
        case 'E': return StatusLine(StatusKind::Busy, which, "E");
        case '^': return StatusLine(StatusKind::Overload, which);
        case 'v': return StatusLine(StatusKind::Underload, which);
        default: break;
      }
    }
  }

  // The print key's frame starts with the stability character.
  if (line.size() >= 1 && (line[0] == ' ' || line[0] == '?' || line[0] == '^' || line[0] == 'v')) {
    const ClassifiedLine printed = ReadMass(line, ScaleCommand::None);
    if (printed.kind != LineKind::Text) return printed;
  }
  if (line.size() <= kCommandField) return {};
  const std::string_view head = line.substr(0, kCommandField);
  const std::string_view id = TrimBlanks(head);
  if (id.empty() || IsBlank(head.front())) return {};
  const CommandWord* command = FindCommandWord(kCommands, id);
  if (!command || command->command != ScaleCommand::Request) return {};
  return ReadMass(line.substr(kCommandField), command->command);
}
