// si: the replies of the standard command set. "S S     100.00 g" (stable),
// "S D     114.87 kg" (in motion), "S I" busy, "S +" / "S -" over- and
// underload, "ES" / "ET" / "EL" errors; the tare ("T S <tare> <unit>",
// "T I", "T +", "T -") and zero ("Z A", "Z I", "Z +", "Z -") replies.

#include <array>

#include "protocols/line_fields.h"

using namespace line_fields;

namespace {

constexpr std::array<CommandWord, 9> kIdentifiers = {{{"S", ScaleCommand::Request},
                                                      {"SI", ScaleCommand::Request},
                                                      {"SIR", ScaleCommand::Request},
                                                      {"SU", ScaleCommand::Request},
                                                      {"SIU", ScaleCommand::Request},
                                                      {"T", ScaleCommand::Tare},
                                                      {"TI", ScaleCommand::Tare},
                                                      {"Z", ScaleCommand::Zero},
                                                      {"ZI", ScaleCommand::Zero}}};

// "<value> <unit>" after the status letter; the unit may be missing.
bool ReadValue(std::string_view rest, ScaleReading& reading) {
  rest = SkipBlanks(rest);
  if (!ReadNumber(rest, reading, false)) return false;
  rest = SkipBlanks(rest);
  std::string_view unit;
  if (!rest.empty() && !ReadUnit(rest, unit)) return false;
  reading.unit = std::string(unit);
  return SkipBlanks(rest).empty();
}

}  // namespace

ClassifiedLine ReadCommandSetLine(std::string_view line) {
  if (line.size() > kMaxLine || !IsPrintable(line)) return {};
  const std::string_view text = TrimBlanks(line);
  if (text == "ES" || text == "ET" || text == "EL") return StatusLine(StatusKind::Error, ScaleCommand::None, text);

  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos || blank + 1 >= text.size()) return {};
  const std::string_view id = text.substr(0, blank);
  const CommandWord* found = FindCommandWord(kIdentifiers, id);
  if (!found) return {};
  const char status = text[blank + 1];
  const std::string_view after = text.substr(blank + 2);
  if (!after.empty() && !IsBlank(after.front())) return {};
  const ScaleCommand command = found->command;

  if (after.empty()) {
    switch (status) {
      case 'I': return StatusLine(StatusKind::Busy, command);
      case '+': return StatusLine(StatusKind::Overload, command);
      case '-': return StatusLine(StatusKind::Underload, command);
      case 'A':
        if (command == ScaleCommand::Zero) return StatusLine(StatusKind::Done, command);
        return {};
      default: return {};
    }
  }
  if (status != 'S' && status != 'D') return {};
  ScaleReading reading;
  if (!ReadValue(after, reading)) return {};
  if (command == ScaleCommand::Tare) {
    // The tare taken: the command's reply, not a weight to show.
    return StatusLine(StatusKind::Done, command, TrimBlanks(after));
  }
  if (command != ScaleCommand::Request) return {};
  reading.stability = status == 'S' ? Stability::Stable : Stability::Motion;
  return ReadingLine(std::move(reading));
}
