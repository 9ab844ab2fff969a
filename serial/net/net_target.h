#pragma once

// A network serial port named in porty.ini: "tcp://HOST:PORT" carries the
// bytes as they are, "rfc2217://HOST:PORT" speaks Telnet with the COM port
// control option. HOST is a name, an IPv4 address or an IPv6 address in
// brackets ("[::1]"); PORT is 1 to 65535.

#include <cstdint>
#include <string>
#include <string_view>

enum class NetProtocol { RawTcp, Rfc2217 };

struct NetTarget {
  NetProtocol protocol = NetProtocol::RawTcp;
  std::string host;
  std::uint16_t port = 0;
};

// Whether the target text asks for a network port at all (its scheme, letter
// case ignored).
bool IsNetTarget(std::string_view target);

// Parses a network target. On a refusal returns false with a sentence in
// Polish (Windows-1250) in `error`.
bool ParseNetTarget(std::string_view target, NetTarget& result, std::string& error);
