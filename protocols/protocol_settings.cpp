#include "protocols/protocol_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "serial/ini_file.h"
#include "serial/stored_file.h"
#include "text/number_text.h"
#include "text/umy_fun.h"

namespace {

constexpr const char* kProtocolKey = "Protokol";
constexpr const char* kRequestKey = "Zapytanie";
constexpr const char* kIntervalKey = "Co_ile_ms";
constexpr const char* kAutoRecordKey = "Automatycznie_od";
constexpr const char* kNoValue = "\x01";  // no file holds it: the key is missing

// Timed requests closer than this would flood the scale.
constexpr std::int32_t kShortestInterval = 50;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string AutoRecordText(double value) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return PointToComma(std::string(digits, result.ptr));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

PortProtocolSettings LoadPortProtocol(const std::string& path, const std::string& port) {
  PortProtocolSettings settings;
  TIniFile file(path);
  if (const auto id = ProtocolIdFromText(file.ReadString(port, kProtocolKey, "")))
    settings.protocol = *id;
  settings.request = CommandsOf(settings.protocol).request;
  const std::string written = file.ReadString(port, kRequestKey, kNoValue);
  if (written != kNoValue) {
    // A text that no dialog would have written asks nothing.
    settings.request = DecodeRequestText(written).value_or(std::string());
  }
  const std::int32_t interval = file.ReadInteger(port, kIntervalKey, 0);
  settings.intervalMs = interval <= 0 ? 0 : std::max(interval, kShortestInterval);
  const std::string from = file.ReadString(port, kAutoRecordKey, "");
  if (const auto value = TextToExtended(PointToComma(from)); value && *value > 0)
    settings.autoRecordFrom = static_cast<double>(*value);
  return settings;
}

bool SavePortProtocol(const std::string& path, const std::string& port,
                      const PortProtocolSettings& settings, std::string& reason) {
  const std::optional<std::string> before = ReadWholeFile(path);
  try {
    TIniFile file(path);
    file.WriteString(port, kProtocolKey, ProtocolIdText(settings.protocol));
    file.WriteString(port, kRequestKey, EncodeRequestText(settings.request));
    file.WriteInteger(port, kIntervalKey, settings.intervalMs);
    file.WriteString(port, kAutoRecordKey, AutoRecordText(settings.autoRecordFrom));
  } catch (const std::exception&) {
    // Each key replaces the whole file; one that failed after others went
    // through must not leave half a section behind.
    if (before) {
      ReplaceStoredFile(path, *before);
    } else {
      std::remove(path.c_str());
    }
    reason = "nie można zapisać pliku " + std::string(kProtocolFileName) + " (" + path + ")";
    return false;
  }
  return true;
}

std::optional<std::string> DecodeRequestText(std::string_view written) {
  std::string bytes;
  for (std::size_t i = 0; i < written.size(); ++i) {
    const char c = written[i];
    if (c != '\\') {
      bytes.push_back(c);
      continue;
    }
    if (++i == written.size()) return std::nullopt;
    switch (written[i]) {
      case 'r': bytes.push_back('\r'); break;
      case 'n': bytes.push_back('\n'); break;
      case 't': bytes.push_back('\t'); break;
      case '\\': bytes.push_back('\\'); break;
      case 'x': {
        const int high = i + 1 < written.size() ? HexDigit(written[i + 1]) : -1;
        const int low = i + 2 < written.size() ? HexDigit(written[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return bytes;
}

std::string EncodeRequestText(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string written;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    // The INI file drops blanks at either end of a value.
    const bool edgeBlank = byte == ' ' && (i == 0 || i + 1 == bytes.size());
    if (byte == '\r') {
      written += "\\r";
    } else if (byte == '\n') {
      written += "\\n";
    } else if (byte == '\t') {
      written += "\\t";
    } else if (byte == '\\') {
      written += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7f || edgeBlank) {
      written += "\\x";
      written.push_back(kHex[byte >> 4]);
      written.push_back(kHex[byte & 0x0f]);
    } else {
      written.push_back(static_cast<char>(byte));
    }
  }
  return written;
}
