#include "tools/waga-sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <sstream>

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

}  // namespace

std::optional<std::vector<Step>> ParseScript(const std::string& script, std::string& error) {
  static const std::map<std::string, StepKind> kinds{
      {"reading", StepKind::Readings}, {"burst", StepKind::Burst},
      {"balance", StepKind::Balance},  {"silence", StepKind::Silence},
      {"garbage", StepKind::Garbage},  {"text", StepKind::Text},
      {"eol", StepKind::LineEnd}};
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
      case StepKind::LineEnd: return false;
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
  bool listenGiven = false;
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
  auto steps = ParseScript(script, error);
  if (!steps) return std::nullopt;
  options.script = *steps;
  return options;
}

std::string UsageText() {
  return R"(Usage: waga-sim [options]
Simulates a weighing scale on a serial line. Without --device it opens a
pseudo-terminal and prints the path of its slave side (for example
/dev/pts/5) as the first line of its output; a program opens that path as
its serial port. The terminal stays usable while the program closes and
reopens it.

Options:
  --device PATH      send on this serial device instead of a pseudo-terminal
  --tcp PORT         serve the output on this TCP port instead, the bytes as
                     they are (as a serial server's raw port); 0 picks a free
                     port. The first line of output is then the porty.ini
                     target, for example tcp://127.0.0.1:4001
  --rfc2217 PORT     the same as Telnet with COM port control (RFC 2217): the
                     option is negotiated, every port setting the client makes
                     is answered, and byte 255 is sent doubled
  --listen ADDR      the address to listen on (default 127.0.0.1; 0.0.0.0 or
                     :: for every network)
                     One client is served at a time; the script starts when
                     the first one connects, what is sent while none is
                     connected is lost, and a client that leaves does not end
                     the simulator.
  --porty-ini DIR    write "COMn=<path>" into DIR/porty.ini (an existing line
                     for that COM name is replaced, other lines are kept)
  --com COMn         the COM name for porty.ini (default COM2)
  --baud N           pace the output to N bit/s, 10 bits per byte
                     (default 1200; 0 sends at full speed)
  --interval MS      pause after each reading of a "reading" step (default 1000)
  --eol NAME         line end: crlf (default), lf, cr or lfcr
  --script STEPS     comma-separated steps, run in order; each run starts
                     with the --eol line end (default
                     "reading:5,balance:3,silence:9000"):
                       reading:N   N readings like "  12.50", --interval apart
                       burst:N     N readings back to back
                       balance:N   a balance report with N records: an empty
                                   line, "  BILANS WAZEN",
                                   "  l.wazen    masa    suma", then lines like
                                   "001     45.23 kg     45.23 kg"
                       silence:MS  send nothing for MS milliseconds
                       garbage:N   N random bytes (never CR or LF), then a line end
                       text:LINE   the line LINE (it cannot hold a comma)
                       eol:NAME    line end for the steps that follow
  --repeat N         run the script N times (default 0: for ever)
  --exit             when the script is done, wait until everything sent has
                     been read, then end (default: keep the line open until
                     SIGINT or SIGTERM)
  --log FILE         write exactly the bytes sent into FILE
  --seed N           seed of the varying values (default 1)
  -h, --help         this text

SIGINT and SIGTERM stop it cleanly at once.
)";
}
