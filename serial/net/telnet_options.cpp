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
  for (std::uint8_t option : ours) usMay_.set(option);
  for (std::uint8_t option : theirs) himMay_.set(option);
}

std::string TelnetOptions::Ask(std::uint8_t verb, std::uint8_t option) {
  if (verb == telnet::WILL) usAsked_.set(option);
  if (verb == telnet::DO) himAsked_.set(option);
  return TelnetCommand(verb, option);
}

std::string TelnetOptions::Answer(std::uint8_t verb, std::uint8_t option) {
  std::string reply;
  switch (verb) {
    case telnet::WILL:
      if (himMay_.test(option)) {
        if (!himEnabled_.test(option) && !himAsked_.test(option)) reply = TelnetCommand(telnet::DO, option);
        himEnabled_.set(option);
        himAsked_.reset(option);
      } else if (!himRefused_.test(option)) {
        himRefused_.set(option);
        reply = TelnetCommand(telnet::DONT, option);
      }
      break;
    case telnet::WONT:
      if (himEnabled_.test(option) && !himAsked_.test(option)) reply = TelnetCommand(telnet::DONT, option);
      himEnabled_.reset(option);
      himAsked_.reset(option);
      break;
    case telnet::DO:
      if (usMay_.test(option)) {
        if (!usEnabled_.test(option) && !usAsked_.test(option)) reply = TelnetCommand(telnet::WILL, option);
        usEnabled_.set(option);
        usAsked_.reset(option);
      } else if (!usRefused_.test(option)) {
        usRefused_.set(option);
        reply = TelnetCommand(telnet::WONT, option);
      }
      break;
    case telnet::DONT:
      if (usEnabled_.test(option) && !usAsked_.test(option)) reply = TelnetCommand(telnet::WONT, option);
      usEnabled_.reset(option);
      usAsked_.reset(option);
      usDenied_.set(option);
      break;
    default:
      break;
  }
  return reply;
}
