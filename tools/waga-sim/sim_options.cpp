#include "tools/waga-sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <sstream>

#include "tools/waga-sim/wire_model.h"

namespace {

constexpr const char* kDefaultScript = "reading:5,balance:3,silence:9000";

std::optional<long long> Number(const std::string& text, long long min, long long max) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return std::nullopt;
  return value;
}

std::optional<std::string> LineEndBytes(const std::string& name) {
  static const std::map<std::string, std::string> ends{
      {"crlf", "\r\n"}, {"lf", "\n"}, {"cr", "\r"}, {"lfcr", "\n\r"}};
  auto found = ends.find(name);
  if (found == ends.end()) return std::nullopt;
  return found->second;
}

// A mass as "12.5" or "-0.25": hundredths.
std::optional<std::int64_t> Hundredths(const std::string& text) {
  const auto point = text.find('.');
  const std::string whole = text.substr(0, point);
  std::string cents = point == std::string::npos ? "" : text.substr(point + 1);
  if (cents.size() > 2 || whole.empty() || whole == "-") return std::nullopt;
  const bool negative = whole[0] == '-';
  auto units = Number(negative ? whole.substr(1) : whole, 0, 99'999'999);
  cents.resize(2, '0');
  auto fraction = Number(cents, 0, 99);
  if (!units || !fraction) return std::nullopt;
  const std::int64_t magnitude = *units * 100 + *fraction;
  return negative ? -magnitude : magnitude;
}

}  // namespace

std::optional<std::vector<Step>> ParseScript(const std::string& script, std::string& error) {
  static const std::map<std::string, StepKind> kinds{
      {"reading", StepKind::Readings}, {"burst", StepKind::Burst},
      {"balance", StepKind::Balance},  {"silence", StepKind::Silence},
      {"garbage", StepKind::Garbage},  {"text", StepKind::Text},
      {"eol", StepKind::LineEnd},      {"overload", StepKind::Overload},
      {"tare", StepKind::Tare}};
  std::vector<Step> steps;
  std::stringstream in(script);
  std::string item;
  while (std::getline(in, item, ',')) {
    const auto colon = item.find(':');
    const std::string name = item.substr(0, colon);
    const std::string arg = colon == std::string::npos ? "" : item.substr(colon + 1);
    auto kind = kinds.find(name);
    if (kind == kinds.end()) {
      error = "unknown step \"" + name + "\"";
      return std::nullopt;
    }
    Step step;
    step.kind = kind->second;
    if (step.kind == StepKind::Text) {
      step.text = arg;
    } else if (step.kind == StepKind::LineEnd) {
      auto bytes = LineEndBytes(arg);
      if (!bytes) {
        error = "unknown line end \"" + arg + "\"";
        return std::nullopt;
      }
      step.text = *bytes;
    } else if (!arg.empty()) {
      auto count = Number(arg, 0, 100'000'000);
      if (!count) {
        error = "bad count in step \"" + item + "\"";
        return std::nullopt;
      }
      step.count = static_cast<int>(*count);
    } else if (step.kind == StepKind::Silence) {
      error = "silence needs milliseconds, e.g. silence:4000";
      return std::nullopt;
    }
    steps.push_back(step);
  }
  // Run for ever, a script that neither sends nor waits would spin.
  const bool acts = std::any_of(steps.begin(), steps.end(), [](const Step& step) {
    switch (step.kind) {
      case StepKind::Text: case StepKind::Garbage: case StepKind::Balance: return true;
      case StepKind::LineEnd: case StepKind::Tare: return false;
      default: return step.count > 0;
    }
  });
  if (!acts) {
    error = "the script neither sends nor waits";
    return std::nullopt;
  }
  return steps;
}

std::optional<SimOptions> ParseOptions(int argc, char** argv, std::string& error) {
  SimOptions options;
  std::string script = kDefaultScript;
  bool listenGiven = false, scriptGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](auto& out, long long min, long long max) {
      std::string text;
      if (!value(text)) return false;
      auto parsed = Number(text, min, max);
      if (!parsed) {
        error = "bad value for " + arg + ": " + text;
        return false;
      }
      out = static_cast<std::remove_reference_t<decltype(out)>>(*parsed);
      return true;
    };
    std::string text;
    bool ok = true;
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--device") {
      ok = value(options.device);
    } else if (arg == "--tcp" || arg == "--rfc2217") {
      if (options.tcpPort) {
        error = "--tcp and --rfc2217 serve one port; give one of them once";
        return std::nullopt;
      }
      std::uint16_t port = 0;
      ok = number(port, 0, 65535);
      options.tcpPort = port;
      options.comPortControl = arg == "--rfc2217";
    } else if (arg == "--listen") {
      ok = value(options.listenAddress);
      listenGiven = true;
    } else if (arg == "--porty-ini") {
      ok = value(options.portyIniDir);
    } else if (arg == "--com") {
      ok = value(options.comName);
    } else if (arg == "--baud") {
      ok = number(options.baud, 0, 4'000'000);
    } else if (arg == "--interval") {
      ok = number(options.intervalMs, 0, 86'400'000);
    } else if (arg == "--eol") {
      ok = value(text);
      if (ok) {
        auto bytes = LineEndBytes(text);
        if (!bytes) {
          error = "unknown line end \"" + text + "\"";
          return std::nullopt;
        }
        options.lineEnd = *bytes;
      }
    } else if (arg == "--repeat") {
      ok = number(options.repeat, 0, 1'000'000'000);
    } else if (arg == "--exit") {
      options.exitWhenDone = true;
    } else if (arg == "--log") {
      ok = value(options.logFile);
    } else if (arg == "--seed") {
      ok = number(options.seed, 0, 0xFFFFFFFFLL);
    } else if (arg == "--script") {
      ok = value(script);
      scriptGiven = true;
    } else if (arg == "--protocol") {
      ok = value(text);
      if (ok) {
        auto id = ProtocolIdFromText(text);
        if (!id) {
          error = "unknown protocol \"" + text + "\" (liczba, jednostka, si, st, esc_p, ramka)";
          return std::nullopt;
        }
        options.protocol = *id;
      }
    } else if (arg == "--on-request") {
      options.onRequest = true;
    } else if (arg == "--motion") {
      ok = number(options.motionEvery, 0, 1'000'000);
    } else if (arg == "--overload") {
      options.overload = true;
    } else if (arg == "--tare") {
      ok = value(text);
      if (ok) {
        auto tare = Hundredths(text);
        if (!tare) {
          error = "bad value for --tare: " + text + " (a mass such as 1.25)";
          return std::nullopt;
        }
        options.tare = *tare;
      }
    } else if (arg == "--delay") {
      ok = number(options.answerDelayMs, 0, 86'400'000);
    } else if (arg == "--format") {
      ok = value(options.format);
      if (ok && !ParseLineFormat(options.format, 1)) {
        error = "bad line format " + options.format + " (data bits 5-8, parity N, E, O, M or S, stop bits 1, "
                "1.5 or 2: 8N1, 7E1, 7O1, 8E1, 7N2)";
        return std::nullopt;
      }
    } else if (arg == "--answers") {
      ok = number(options.answers, 0, 1'000'000'000);
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
    if (!ok) return std::nullopt;
  }
  if (options.tcpPort && !options.device.empty()) {
    error = "--device and a TCP port exclude each other";
    return std::nullopt;
  }
  if (!options.tcpPort && listenGiven) {
    error = "--listen goes with --tcp or --rfc2217";
    return std::nullopt;
  }
  if (!options.format.empty() && options.baud == 0) {
    error = "--format needs the speed the scale sends at (--baud above 0)";
    return std::nullopt;
  }
  if (options.onRequest && (scriptGiven || options.repeat != 0 || options.exitWhenDone)) {
    error = "--on-request answers requests and runs no script (nor --repeat, --exit)";
    return std::nullopt;
  }
  if (!options.onRequest && (options.answerDelayMs != 0 || options.answers >= 0)) {
    error = "--delay and --answers go with --on-request";
    return std::nullopt;
  }
  auto steps = ParseScript(script, error);
  if (!steps) return std::nullopt;
  options.script = *steps;
  return options;
}

std::string UsageText() {
  return R"(Użycie: waga-sim [opcje]
Udaje wagę elektroniczną na łączu szeregowym. Bez --device otwiera
pseudoterminal i w pierwszym wierszu wyjścia podaje ścieżkę jego strony
podrzędnej (na przykład /dev/pts/5); program otwiera tę ścieżkę jako swój
port szeregowy. Terminal działa dalej, gdy program zamyka go i otwiera ponownie.

Opcje:
  --device ŚCIEŻKA   nadaje na tym urządzeniu szeregowym zamiast pseudoterminala
  --tcp PORT         podaje wyjście na tym porcie TCP, bajty bez zmian (jak
                     surowy port serwera portów szeregowych); 0 wybiera wolny
                     port. Pierwszy wiersz wyjścia to wtedy cel dla porty.ini,
                     na przykład tcp://127.0.0.1:4001
  --rfc2217 PORT     to samo jako Telnet ze sterowaniem portem COM (RFC 2217):
                     opcja jest uzgadniana, każde ustawienie portu klienta
                     dostaje odpowiedź, a bajt 255 idzie podwojony
  --listen ADRES     adres nasłuchu (domyślnie 127.0.0.1; 0.0.0.0 lub ::
                     dla każdej sieci)
                     Obsługiwany jest jeden klient naraz; skrypt rusza, gdy
                     połączy się pierwszy, to, co wysłano bez klienta, ginie,
                     a odejście klienta nie kończy symulatora.
  --porty-ini KATALOG
                     zapisuje "COMn=<ścieżka>" w KATALOG/porty.ini (istniejący
                     wiersz tej nazwy COM jest zastępowany, inne zostają)
  --com COMn         nazwa COM dla porty.ini (domyślnie COM2)
  --baud N           tempo wyjścia N bit/s, 10 bitów na bajt (z --format tyle,
                     ile ma ramka; domyślnie 1200; 0 nadaje z pełną szybkością)
  --format RAMKA     waga nadaje z szybkością --baud w tej ramce (bity
                     danych 5-8, parzystość N, E, O, M lub S, bity stopu 1,
                     1.5 lub 2: 8N1, 7E1, 7O1, 8E1, 7N2), a program dostaje
                     to, co odebrałby jego układ UART ustawiony tak, jak
                     ustawił port: przy zgodnych ustawieniach bajty bez
                     zmian, przy innych bity próbkowane na nowo z jego
                     szybkością. Na pseudoterminalu liczy się szybkość, którą
                     ustawił program (Linux wymusza tam 8 bitów bez
                     parzystości); przez --rfc2217 szybkość, bity danych,
                     parzystość i bity stopu ustawione przez klienta; przez
                     --tcp i --device bajty idą bez zmian. Tak samo polecenia
                     programu docierają do wagi. Błędów ramki i parzystości
                     nie da się zgłosić: dochodzą same odebrane bajty
  --interval MS      przerwa po każdym odczycie kroku "reading" (domyślnie 1000)
  --protocol ID      kształt odczytów: liczba (domyślnie, "  12.50"), jednostka
                     ("+    12.50 kg"), si ("S S      12.50 kg"), st
                     ("ST,GS,+00012.50 kg"), esc_p ("+    12.50 kg ") albo
                     ramka (ramka klawisza drukowania, "      12.50 kg ");
                     bilans pozostaje tekstem jak w liczba
  --on-request       nie nadaje sam, tylko odpowiada na polecenia programu
                     tak jak waga danego protokołu: si: SI, S, T, Z; st: Q,
                     T, Z (T i Z: bajt 06h); esc_p: ESC P, ESC T; ramka: SI, S, T, Z (odpowiedzi
                     w ramce, T i Z: "T A", "T D"); jednostka: SI, P, IP;
                     liczba: każdy wiersz dostaje odczyt. Nieznane polecenie
                     dostaje "ES" (st: "EC,E01"; esc_p je pomija). Bez
                     polecenia milczy; skryptu nie wykonuje
  --delay MS         z --on-request: odpowiada po MS milisekundach
  --answers N        z --on-request: wysyła N wierszy odpowiedzi, potem milknie
  --motion N         co N-ty odczyt w ruchu (si "S D", st "US", esc_p bez
                     jednostki, ramka i jednostka "?"; domyślnie 0: żaden)
  --overload         każdy odczyt to przeciążenie (si "S +", st "OL", esc_p
                     "HH", ramka "^"; liczba i jednostka "OL")
  --tare MASA        tara od początku (na przykład 1.25): odczyty są netto
                     (st "NT", esc_p "N", jednostka "N"); polecenie tary
                     i krok "tare" biorą za tarę bieżącą masę
  --eol NAZWA        koniec wiersza: crlf (domyślnie), lf, cr lub lfcr
  --script KROKI     kroki rozdzielone przecinkami, wykonywane po kolei; każdy
                     przebieg zaczyna się z końcem wiersza z --eol (domyślnie
                     "reading:5,balance:3,silence:9000"):
                       reading:N   N odczytów jak "  12.50" (w kształcie --protocol),
                                   co --interval
                       burst:N     N odczytów jeden za drugim
                       balance:N   bilans z N pozycjami: pusty wiersz,
                                   "  BILANS WAZEN",
                                   "  l.wazen    masa    suma", potem wiersze jak
                                   "001     45.23 kg     45.23 kg"
                       silence:MS  nic nie nadaje przez MS milisekund
                       garbage:N   N losowych bajtów (nigdy CR ani LF), potem koniec wiersza
                       text:WIERSZ wiersz WIERSZ (bez przecinka)
                       eol:NAZWA   koniec wiersza kolejnych kroków
                       overload:N  N wierszy przeciążenia, co --interval
                       tare        bieżąca masa staje się tarą: dalej netto
  --repeat N         wykonuje skrypt N razy (domyślnie 0: bez końca)
  --exit             po skrypcie czeka, aż wszystko wysłane zostanie odczytane,
                     i kończy (domyślnie łącze zostaje otwarte do SIGINT lub SIGTERM)
  --log PLIK         zapisuje do PLIKU dokładnie wysłane bajty
  --seed N           ziarno zmiennych wartości (domyślnie 1)
  -h, --help         ten tekst
  --version          wersja programu

SIGINT i SIGTERM zatrzymują go od razu i czysto.
)";
}
