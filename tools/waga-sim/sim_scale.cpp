#include "tools/waga-sim/sim_scale.h"

#include <cstdlib>

namespace {

// A command longer than this is nobody's command; the rest of it is dropped.
constexpr std::size_t kMaxCommand = 32;

std::string PadLeft(std::string text, std::size_t width, char fill = ' ') {
  if (text.size() < width) text.insert(0, width - text.size(), fill);
  return text;
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// "12.50" for 1250 and for -1250.
std::string Digits(std::int64_t hundredths) {
  const std::int64_t magnitude = std::llabs(hundredths);
  return std::to_string(magnitude / 100) + "." + PadLeft(std::to_string(magnitude % 100), 2, '0');
}

std::string Signed(std::int64_t hundredths) { return (hundredths < 0 ? "-" : "") + Digits(hundredths); }

char Sign(std::int64_t hundredths) { return hundredths < 0 ? '-' : '+'; }

std::string Bare(std::string command) {
  while (!command.empty() && (command.back() == '\r' || command.back() == '\n')) command.pop_back();
  return command;
}

}  // namespace

std::string WeightLine(ProtocolId protocol, const Weight& weight, std::string_view command) {
  const std::int64_t h = weight.hundredths;
  switch (protocol) {
    case ProtocolId::Liczba:
      return weight.overload ? "     OL" : ReadingLine(h);
    case ProtocolId::Jednostka:
      if (weight.overload) return "     OL";
      return (weight.net ? "N " : "") + std::string(1, Sign(h)) + PadLeft(Digits(h), 9) + " " + weight.unit +
             (weight.stable ? "" : " ?");
    case ProtocolId::Si:
      if (weight.overload) return "S +";
      return std::string("S ") + (weight.stable ? 'S' : 'D') + " " + PadLeft(Signed(h), 10) + " " + weight.unit;
    case ProtocolId::St: {
      const std::string header = weight.overload ? "OL" : weight.stable ? "ST" : "US";
      const std::string data = weight.overload ? "+99999.99" : Sign(h) + PadLeft(Digits(h), 8, '0');
      return header + (weight.net ? ",NT," : ",GS,") + data + PadLeft(weight.unit, 3);
    }
    case ProtocolId::EscP: {
      const std::string id = weight.net ? PadRight("N", 6) : "";
      if (weight.overload) return id + "  " + PadLeft("HH", 8) + "    ";
      return id + Sign(h) + " " + PadLeft(Digits(h), 8) + " " + PadRight(weight.stable ? weight.unit : "", 3);
    }
    case ProtocolId::Ramka: {
      const char stability = weight.overload ? '^' : weight.stable ? ' ' : '?';
      return (command.empty() ? "" : PadRight(std::string(command), 3)) + stability + " " + (h < 0 ? '-' : ' ') +
             PadLeft(Digits(h), 9) + " " + PadRight(weight.unit, 3);
    }
  }
  return ReadingLine(h);
}

SimScale::SimScale(const ScaleBehaviour& behaviour, ScaleValues& values)
    : behaviour_(behaviour), values_(values), lastRaw_(values.Current()), tared_(behaviour.tare != 0) {}

Weight SimScale::NextWeight() {
  lastRaw_ = values_.NextReading();
  ++count_;
  Weight weight;
  weight.unit = behaviour_.unit;
  weight.stable = behaviour_.motionEvery <= 0 || count_ % behaviour_.motionEvery != 0;
  weight.overload = behaviour_.overload;
  weight.net = tared_;
  weight.hundredths = lastRaw_ - zero_ - (tared_ ? behaviour_.tare : 0);
  return weight;
}

std::string SimScale::OverloadLine() const {
  Weight weight;
  weight.overload = true;
  weight.net = tared_;
  weight.unit = behaviour_.unit;
  return WeightLine(behaviour_.protocol, weight);
}

void SimScale::Tare() {
  behaviour_.tare = lastRaw_ - zero_;
  tared_ = true;
}

std::vector<std::string> SimScale::Receive(std::string_view bytes) {
  std::vector<std::string> answers;
  for (const char byte : bytes) {
    if (behaviour_.protocol == ProtocolId::EscP) {
      // ESC and one letter; a line end after it, or anything else, is not a command.
      if (pending_.size() == 1) {
        Answer(pending_ + byte, answers);
        pending_.clear();
      } else if (byte == '\x1b') {
        pending_ = "\x1b";
      }
    } else if (byte == '\r' || byte == '\n') {
      if (!pending_.empty()) Answer(pending_, answers);
      pending_.clear();
    } else if (pending_.size() < kMaxCommand) {
      pending_ += byte;
    }
  }
  return answers;
}

void SimScale::Answer(const std::string& command, std::vector<std::string>& answers) {
  const ProtocolId protocol = behaviour_.protocol;
  const ProtocolCommands& commands = CommandsOf(protocol);
  const bool request = command == Bare(commands.request);
  const bool tare = !commands.tare.empty() && command == Bare(commands.tare);
  const bool zero = !commands.zero.empty() && command == Bare(commands.zero);
  auto reading = [&](bool stable, std::string_view echo = {}) {
    Weight weight = NextWeight();
    weight.stable = weight.stable || stable;
    answers.push_back(WeightLine(protocol, weight, echo));
  };
  auto doTare = [&] {
    if (!behaviour_.overload) Tare();
  };
  auto doZero = [&] {
    if (behaviour_.overload) return;
    zero_ = lastRaw_;
    tared_ = false;
    behaviour_.tare = 0;
  };
  switch (protocol) {
    case ProtocolId::Liczba:  // the program's own request: any line
      return reading(false);
    case ProtocolId::Jednostka:
      if (command == "SI" || command == "P" || command == "IP") return reading(false);
      return answers.push_back("ES");
    case ProtocolId::Si:
      if (request) return reading(false);
      if (command == "S") return reading(true);
      if (tare) {
        if (behaviour_.overload) return answers.push_back("T +");
        doTare();
        return answers.push_back("T S " + PadLeft(Signed(behaviour_.tare), 10) + " " + behaviour_.unit);
      }
      if (zero) {
        if (behaviour_.overload) return answers.push_back("Z +");
        doZero();
        return answers.push_back("Z A");
      }
      return answers.push_back("ES");
    case ProtocolId::St:
      if (request) return reading(false);
      if (tare || zero) {
        tare ? doTare() : doZero();
        return answers.push_back("\x06");  // the acknowledgement
      }
      return answers.push_back("EC,E01");
    case ProtocolId::EscP:
      // These scales pass over what they do not know.
      if (request) return reading(false);
      if (tare) doTare();
      return;
    case ProtocolId::Ramka:
      if (request) return reading(false, command);
      if (command == "S") return reading(true, command);
      if (tare || zero) {
        const std::string name = tare ? "T" : "Z";
        if (behaviour_.overload) return answers.push_back(name + " ^");
        tare ? doTare() : doZero();
        answers.push_back(name + " A");
        return answers.push_back(name + " D");
      }
      return answers.push_back("ES");
  }
}
