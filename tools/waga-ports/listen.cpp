#include "tools/waga-ports/listen.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "ports/port_hint.h"
#include "config/konfig/konfig.h"
#include "serial/com_port.h"
#include "serial/com_texts.h"
#include "serial/ui_handoff.h"

namespace {

bool Text(unsigned char c) { return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t'; }

void SetSpeed(TComPort& port, std::uint32_t speed) {
  for (int rate = br110; rate <= br256000; ++rate) {
    if (BaudRateToText(static_cast<TBaudRate>(rate)) == std::to_string(speed)) {
      port.SetBaudRate(static_cast<TBaudRate>(rate));
      return;
    }
  }
  port.SetCustomBaudRate(static_cast<std::int32_t>(speed));
  port.SetBaudRate(brCustom);
}

// The speed of konfig.ini in the working directory, as Waga would use it.
std::uint32_t KonfigSpeed() {
  KonfigSettings settings;
  try {
    LoadKonfig(settings);
  } catch (const KonfigReadError&) {
  }
  return LineSettingsOf(settings.BaudRate).speed;
}

std::string ErrorNames(TComErrors errors) {
  std::string names;
  const std::pair<TComError, const char*> known[] = {
      {ceFraming, "ramka"}, {ceParity, "parzystość"}, {ceOverrun, "przepełnienie"},
      {ceBreak, "przerwa (break)"}, {ceInputOverflow, "przepełnienie bufora"}};
  for (const auto& [error, name] : known) {
    if (errors.Contains(error)) names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names.empty() ? "inny" : names;
}

}  // namespace

std::string ShownText(std::string_view bytes) {
  static const char* const kNames[32] = {
      "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "TAB", "LF",  "VT",  "FF", "CR", "SO", "SI",
      "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};
  std::string text;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20) {
      text += std::string("<") + kNames[c] + ">";
    } else if (c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      text += hex;
    } else {
      text += ch;
    }
  }
  return text;
}

std::string HexText(std::string_view bytes) {
  std::string text;
  for (const char ch : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(ch));
    text += (text.empty() ? "" : " ") + std::string(hex);
  }
  return text;
}

void ListenTally::Add(std::string_view received) {
  bytes += received.size();
  for (const char c : received) nonText += Text(static_cast<unsigned char>(c)) ? 0 : 1;
}

std::string ListenVerdict(const ListenTally& tally, std::uint32_t speed, int seconds) {
  const std::string rate = std::to_string(speed) + " bps";
  if (tally.bytes == 0 && tally.lineErrors == 0) {
    return "Przez " + std::to_string(seconds) + " s nic nie przyszło. Sprawdź, czy waga jest włączona, "
           "kabel podłączony i czy waga nadaje z prędkością " + rate + ".\n";
  }
  std::string text = "Odebrano " + std::to_string(tally.bytes) + " bajtów w " + std::to_string(seconds) + " s.\n";
  // A scale writes text; at a wrong speed its bytes come out as noise.
  const bool noise = tally.bytes >= 8 && tally.nonText * 4 > tally.bytes;
  if (tally.lineErrors > 0 || noise) {
    text += "To wygląda na złą prędkość (" +
            (tally.lineErrors > 0 ? std::to_string(tally.lineErrors) + " zgłoszeń błędów linii"
                                  : std::to_string(tally.nonText) + " bajtów spoza tekstu") +
            "): ustaw w wadze i w Wadze tę samą prędkość; teraz jest " + rate + ".\n";
  }
  return text;
}

int Listen(const PortsOptions& options, std::ostream& out) {
  const std::uint32_t speed = options.speed != 0 ? options.speed : KonfigSpeed();
  QueuedUiHandoff handoff;
  TComPort port;
  port.SetHandoff(&handoff);
  port.SetPort(options.port);
  SetSpeed(port, speed);
  ListenTally tally;
  port.OnRxChar = [&](TCustomComPort&, std::int32_t count) {
    std::string received;
    port.ReadString(received, count);
    if (received.empty()) return;
    tally.Add(received);
    out << "tekst: " << ShownText(received) << "\n  hex: " << HexText(received) << "\n" << std::flush;
  };
  port.OnError = [&](TCustomComPort&, TComErrors errors) {
    ++tally.lineErrors;
    out << "błąd linii: " << ErrorNames(errors) << "\n" << std::flush;
  };
  try {
    port.Open();
  } catch (const EComPort& e) {
    PortProblem problem{e.ErrorCode(), e.SystemError(), e.what()};
    const PortSituation situation = ObservePort(options.port, std::string(), LineSettingsOf(port.MakeDeviceControlBlock()),
                                                SystemRoots{}, CurrentUser(), e.SystemError() == EBUSY);
    out << FailureHint(situation, problem) << "\n";
    return kExitFailed;
  }
  out << MappingLine(MappingInEffect(options.port, std::string())) << "\nSłucham przez " << options.seconds
      << " s, " << speed << " bps...\n" << std::flush;
  handoff.ServeUntilFor([] { return false; }, std::chrono::seconds(options.seconds));
  try {
    port.Close();
  } catch (const EComPort& e) {
    out << "Zamknięcie portu: " << e.what() << "\n";
  }
  out << ListenVerdict(tally, speed, options.seconds);
  return kExitOk;
}
