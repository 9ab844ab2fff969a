#pragma once

// The shapes of the lines that scales send, and the bytes that ask them for
// a reading, a tare or a zero. One id per shape; the bare number of the
// original program is `liczba`, the default. Texts are Windows-1250 bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class ProtocolId : std::uint8_t { Liczba, Jednostka, Si, St, EscP, Ramka };

inline constexpr std::array<ProtocolId, 6> kProtocolIds = {
    ProtocolId::Liczba, ProtocolId::Jednostka, ProtocolId::Si,
    ProtocolId::St,     ProtocolId::EscP,      ProtocolId::Ramka};

// The id as protokol.ini and the command lines write it: "liczba",
// "jednostka", "si", "st", "esc_p", "ramka".
std::string_view ProtocolIdText(ProtocolId id);
// Exact, lower case; anything else is no id.
std::optional<ProtocolId> ProtocolIdFromText(std::string_view text);

enum class Stability : std::uint8_t { Unknown, Stable, Motion };
enum class WeightKind : std::uint8_t { Unknown, Gross, Net };

struct ScaleReading {
  // As the display shows it: the value's characters with blanks taken out
  // and a decimal comma turned to a point ("+12.50", "-8.5", "0012.34").
  std::string value;
  double number = 0;
  // Digits after the decimal mark as the scale sent them.
  int decimals = 0;
  // As the line carries it ("kg", "g", "PC"); empty when it carries none.
  std::string unit;
  Stability stability = Stability::Unknown;
  WeightKind kind = WeightKind::Unknown;
};

// What a command reply or a status line says.
enum class StatusKind : std::uint8_t {
  Overload,
  Underload,
  Busy,      // the scale cannot do it now (no stability in time, busy)
  Error,     // the scale's error, with its code
  Done,      // a command was carried out (tare, zero)
  Accepted,  // a command was accepted; its result follows
};

// Which of our commands a reply answers, where the line tells.
enum class ScaleCommand : std::uint8_t { None, Request, Tare, Zero };

struct ScaleStatus {
  StatusKind kind = StatusKind::Error;
  ScaleCommand command = ScaleCommand::None;
  // The scale's own code where it sends one ("ES", "ET", "EL", "Err 123").
  std::string code;
};

enum class LineKind : std::uint8_t { Text, Reading, Status };

struct ClassifiedLine {
  LineKind kind = LineKind::Text;
  ScaleReading reading;  // when kind is Reading
  ScaleStatus status;    // when kind is Status
};

// A line (as line assembly completes it: CR dropped, no LF) read the way the
// protocol reads it. Text is everything the protocol does not read without
// doubt: balance records, noise, another protocol's replies.
ClassifiedLine ClassifyLine(ProtocolId protocol, std::string_view line);

// The bytes that the protocol sends; empty where it has no such command.
struct ProtocolCommands {
  std::string request;
  std::string tare;
  std::string zero;
};
const ProtocolCommands& CommandsOf(ProtocolId protocol);
