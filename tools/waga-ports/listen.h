#pragma once

// waga-ports --listen: the port opened as Waga opens it, and what arrives.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "tools/waga-ports/ports_options.h"

// The bytes as text, control bytes and bytes above 0x7E named: "12.50<CR><LF>".
std::string ShownText(std::string_view bytes);
// The bytes in hexadecimal: "31 32 0D 0A".
std::string HexText(std::string_view bytes);

// What arrived during a listen.
struct ListenTally {
  std::uint64_t bytes = 0;
  std::uint64_t nonText = 0;     // neither printable ASCII nor CR, LF, TAB
  std::uint64_t lineErrors = 0;  // framing, parity, overrun, break reports
  void Add(std::string_view received);
};

// The closing words: how much arrived and whether the speed looks wrong.
std::string ListenVerdict(const ListenTally& tally, std::uint32_t speed, int seconds);

// Listens on options.port in the working directory (porty.ini and
// konfig.ini there); returns the exit code.
int Listen(const PortsOptions& options, std::ostream& out);
