#include "serial/net/net_target.h"

#include <cctype>

namespace {

constexpr std::string_view kTcp = "tcp://";
constexpr std::string_view kRfc2217 = "rfc2217://";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool HostCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

}  // namespace

bool IsNetTarget(std::string_view target) {
  return StartsWithIgnoringCase(target, kTcp) || StartsWithIgnoringCase(target, kRfc2217);
}

bool ParseNetTarget(std::string_view target, NetTarget& result, std::string& error) {
  const std::string shown(target);
  const auto refuse = [&error, &shown](const std::string& why) {
    error = "adres \x84" + shown + "\x94: " + why + "; przyk\xB3" "ady: tcp://192.168.1.20:4001, rfc2217://serwer:2001";
    return false;
  };
  NetTarget parsed;
  if (StartsWithIgnoringCase(target, kTcp)) {
    target.remove_prefix(kTcp.size());
  } else if (StartsWithIgnoringCase(target, kRfc2217)) {
    parsed.protocol = NetProtocol::Rfc2217;
    target.remove_prefix(kRfc2217.size());
  } else {
    return refuse("oczekiwano tcp:// lub rfc2217://");
  }
  if (!target.empty() && target.back() == '/') target.remove_suffix(1);

  std::string_view host;
  std::string_view port;
  if (!target.empty() && target.front() == '[') {
    const std::size_t close = target.find(']');
    if (close == std::string_view::npos || close + 1 >= target.size() || target[close + 1] != ':') {
      return refuse("adres IPv6 zapisuje si\xEA w nawiasach z numerem portu: [::1]:2001");
    }
    host = target.substr(1, close - 1);
    port = target.substr(close + 2);
    for (char c : host) {
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') {
        return refuse("niedozwolony znak w adresie IPv6");
      }
    }
  } else {
    const std::size_t colon = target.rfind(':');
    if (colon == std::string_view::npos) return refuse("brak numeru portu po dwukropku");
    host = target.substr(0, colon);
    port = target.substr(colon + 1);
    for (char c : host) {
      if (!HostCharacter(c)) return refuse("niedozwolony znak w nazwie hosta");
    }
  }
  if (host.empty()) return refuse("brak nazwy hosta");
  if (host.size() > 253) return refuse("nazwa hosta jest za d\xB3uga");
  std::uint32_t number = 0;
  if (port.empty() || port.size() > 5) return refuse("numer portu musi wynosi\xE6 od 1 do 65535");
  for (char c : port) {
    if (c < '0' || c > '9') return refuse("numer portu musi wynosi\xE6 od 1 do 65535");
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (number < 1 || number > 65535) return refuse("numer portu musi wynosi\xE6 od 1 do 65535");
  parsed.host = std::string(host);
  parsed.port = static_cast<std::uint16_t>(number);
  result = parsed;
  return true;
}
