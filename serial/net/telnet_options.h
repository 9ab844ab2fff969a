#pragma once

// Telnet option negotiation for one end of a connection: which options each
// side may enable, what is enabled, and the answer to a request. A request
// is answered only when it changes the state, so two ends can never keep
// each other answering.

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string>

class TelnetOptions {
 public:
  // `ours`: the options this end agrees to enable on its side (asked with
  // DO); `theirs`: the options it lets the other side enable (asked with WILL).
  TelnetOptions(std::initializer_list<std::uint8_t> ours, std::initializer_list<std::uint8_t> theirs);

  // IAC WILL/DO <option>, remembered as asked so that the answer is not
  // answered again.
  std::string Ask(std::uint8_t verb, std::uint8_t option);
  // The reply to a received WILL, WONT, DO or DONT; empty when none is due.
  std::string Answer(std::uint8_t verb, std::uint8_t option);

  bool Ours(std::uint8_t option) const { return us_.enabled.test(option); }
  bool Theirs(std::uint8_t option) const { return him_.enabled.test(option); }
  // The other side said DONT to an option of ours.
  bool RefusedOurs(std::uint8_t option) const { return us_.denied.test(option); }

 private:
  // The options of one side: allowed, enabled, asked for and not yet
  // answered, refused by this end (answered once), turned off by a request.
  struct Side {
    std::bitset<256> may, enabled, asked, refused, denied;
  };
  Side us_, him_;
};

// IAC <verb> <option>.
std::string TelnetCommand(std::uint8_t verb, std::uint8_t option);
// Data for the wire: IAC doubled.
std::string TelnetEscaped(const char* data, std::size_t size);
