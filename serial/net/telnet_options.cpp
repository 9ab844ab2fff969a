#include "serial/net/telnet_options.h"

#include "serial/net/telnet_parser.h"

std::string TelnetCommand(std::uint8_t verb, std::uint8_t option) {
  return {static_cast<char>(telnet::IAC), static_cast<char>(verb), static_cast<char>(option)};
}

std::string TelnetEscaped(const char* data, std::size_t size) {
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    out += data[i];
    if (static_cast<std::uint8_t>(data[i]) == telnet::IAC) out += data[i];
  }
  return out;
}

TelnetOptions::TelnetOptions(std::initializer_list<std::uint8_t> ours,
                             std::initializer_list<std::uint8_t> theirs) {
  for (std::uint8_t option : ours) us_.may.set(option);
  for (std::uint8_t option : theirs) him_.may.set(option);
}

std::string TelnetOptions::Ask(std::uint8_t verb, std::uint8_t option) {
  if (verb == telnet::WILL) us_.asked.set(option);
  if (verb == telnet::DO) him_.asked.set(option);
  return TelnetCommand(verb, option);
}

std::string TelnetOptions::Answer(std::uint8_t verb, std::uint8_t option) {
  if (verb < telnet::WILL || verb > telnet::DONT) return {};
  // WILL and WONT speak of the other side's options, DO and DONT of ours.
  const bool theirs = verb == telnet::WILL || verb == telnet::WONT;
  const bool enable = verb == telnet::WILL || verb == telnet::DO;
  Side& side = theirs ? him_ : us_;
  const std::uint8_t yes = theirs ? telnet::DO : telnet::WILL;
  const std::uint8_t no = theirs ? telnet::DONT : telnet::WONT;
  std::string reply;
  if (enable && side.may.test(option)) {
    if (!side.enabled.test(option) && !side.asked.test(option)) reply = TelnetCommand(yes, option);
    side.enabled.set(option);
    side.asked.reset(option);
  } else if (enable) {
    if (!side.refused.test(option)) reply = TelnetCommand(no, option);
    side.refused.set(option);
  } else {
    if (side.enabled.test(option) && !side.asked.test(option)) reply = TelnetCommand(no, option);
    side.enabled.reset(option);
    side.asked.reset(option);
    side.denied.set(option);
  }
  return reply;
}
