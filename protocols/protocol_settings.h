#pragma once

// protokol.ini, beside konfig.ini: the scale's protocol for each port, one
// section per COM name ([COM2]). Missing file, section or key give the
// defaults below. Texts are Windows-1250.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocols/scale_protocol.h"

inline constexpr const char* kProtocolFileName = "protokol.ini";

struct PortProtocolSettings {
  ProtocolId protocol = ProtocolId::Liczba;       // Protokol=
  // Zapytanie=, decoded; without the key the protocol's own request.
  std::string request;
  std::int32_t intervalMs = 0;                    // Co_ile_ms=, 0: no timed requests
  double autoRecordFrom = 0;                      // Automatycznie_od=, 0: off

  bool operator==(const PortProtocolSettings&) const = default;
};

// Reads the section of `port` from the file at `path`.
PortProtocolSettings LoadPortProtocol(const std::string& path, const std::string& port);
// Writes the section of `port`, keeping every other section, every other key
// and their order; the file is replaced the one stored-file way. On failure
// returns false with a Polish reason (UTF-8) and leaves the file as it was.
bool SavePortProtocol(const std::string& path, const std::string& port,
                      const PortProtocolSettings& settings, std::string& reason);

// "\r", "\n", "\t", "\\", "\xHH" (two hex digits) and plain characters; any
// other escape, or a lone backslash at the end, is no request text.
std::optional<std::string> DecodeRequestText(std::string_view written);
// The inverse: printable ASCII as it is, the rest escaped.
std::string EncodeRequestText(std::string_view bytes);
