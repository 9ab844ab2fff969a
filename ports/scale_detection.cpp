#include "ports/scale_detection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

#include "balance/balance_record.h"
#include "serial/baud_rate.h"
#include "serial/com_errors.h"

namespace {

PortLineFormat Format(std::uint8_t dataBits, std::uint8_t parity, std::uint8_t stopBits) {
  PortLineFormat format;
  format.dataBits = dataBits;
  format.parity = parity;
  format.stopBits = stopBits;
  format.given = true;
  return format;
}

const PortLineFormat k8N1 = Format(8, 0, 0);
const PortLineFormat k7E1 = Format(7, 2, 0);
const PortLineFormat k7O1 = Format(7, 1, 0);
const PortLineFormat k8E1 = Format(8, 2, 0);
const PortLineFormat k8O1 = Format(8, 1, 0);
const PortLineFormat k7N2 = Format(7, 0, 2);

bool SameFormat(const PortLineFormat& a, const PortLineFormat& b) {
  return a.dataBits == b.dataBits && a.parity == b.parity && a.stopBits == b.stopBits;
}

std::chrono::milliseconds CharsTime(int chars, std::uint32_t speed) {
  return std::chrono::milliseconds(static_cast<std::int64_t>(chars) * 11 * 1000 / speed + 1);
}

// Long enough for the requests to leave and the first characters of a reply
// to come back; once something arrives the listen goes on for whole lines.
std::chrono::milliseconds ReplyWindow(const DetectionTiming& timing, std::uint32_t speed) {
  const int sent = static_cast<int>(DetectionRequests().size());
  return timing.reply + CharsTime(sent + 2, speed);
}

// How much longer a listen goes on once bytes have arrived: a line's time.
std::chrono::milliseconds LineTime(std::uint32_t speed) {
  return std::chrono::milliseconds(100) + CharsTime(kReplyChars, speed);
}

// How long a line is quiet before it counts as between two lines: a line
// under way at the speed sends its characters back to back.
std::chrono::milliseconds QuietTime(std::uint32_t speed) {
  return std::chrono::milliseconds(50) + CharsTime(2, speed);
}

std::chrono::milliseconds ConfirmWindow(const DetectionTiming& timing, std::uint32_t speed) {
  return timing.confirm + CharsTime(2 * kReplyChars, speed);
}

bool Printable(unsigned char c) { return (c >= 0x20 && c < 0x7F) || c == '\t'; }
bool TextByte(unsigned char c) { return Printable(c) || c == '\r' || c == '\n'; }

// The order in which protocols that read as many lines are preferred: the
// narrower shapes first, the bare number before the number with a unit.
constexpr std::array<ProtocolId, 6> kPreferred = {ProtocolId::Si,     ProtocolId::St,
                                                  ProtocolId::Ramka,  ProtocolId::EscP,
                                                  ProtocolId::Liczba, ProtocolId::Jednostka};

// The speeds listened to first. A scale that sends by itself is heard at
// any of them, as garbage at the wrong ones, and their listens together
// last long enough for several of its lines: where none of them heard
// anything, the other speeds are only asked.
constexpr std::size_t kLikelySpeeds = 6;

// What one try heard.
struct Heard {
  std::string bytes;
  std::uint32_t lineErrors = 0;
  // The first bytes came after a quiet start, or after a request: the first
  // line is whole, not the tail of one begun before the port opened.
  bool wholeFirst = false;
  bool Any() const { return !bytes.empty() || lineErrors != 0; }
};

int LineEnds(std::string_view bytes) {
  return static_cast<int>(std::count_if(bytes.begin(), bytes.end(),
                                        [](char c) { return (c & 0x7F) == '\n'; }));
}

std::string Without8thBits(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(c & 0x7F);
  return bytes;
}

// The lines read clearly as they came or, where their eighth bits point to
// a 7-bit format, without those bits.
bool ReadClearly(const Heard& heard) {
  if (ScoreListen(heard.bytes, heard.lineErrors).Clear()) return true;
  const std::vector<PortLineFormat> seen = FormatsSeenAt8N1(heard.bytes, heard.lineErrors);
  return !seen.empty() && seen.front().dataBits == 7 &&
         ScoreListen(Without8thBits(heard.bytes), heard.lineErrors).Clear();
}

class Search {
 public:
  Search(DetectionPort& port, const DetectionTiming& timing, const std::atomic<bool>& stop,
         const std::function<void(const DetectionStep&)>& progress)
      : port_(port), timing_(timing), stop_(stop), progress_(progress) {}

  DetectionResult Run();

 private:
  enum class Try { Heard, Failed, Stopped };
  // Opens at speed and format, asks when `ask`, listens for `window` or,
  // without a request, until `lines` lines have ended (one, where it is
  // whole and reads clearly) or, at 8N1, until what came is no text under
  // any format and the line has gone quiet. The port stays open until the
  // next try or the end of the search.
  // With `wait`, it first waits that long for the first bytes, and the
  // window counts from them.
  Try Listen(std::uint32_t speed, const PortLineFormat& format, bool ask,
             std::chrono::milliseconds window, int lines, Heard& heard, std::string_view request = {},
             std::chrono::milliseconds wait = {});
  // Judges a listen at `format`; true when it is a clear answer.
  bool Judge(std::uint32_t speed, const PortLineFormat& format, const Heard& heard);
  // A reply heard right after a request, asked again at the same speed and
  // format: a reply that came late, to the request of an earlier try, does
  // not come again. Sets portFailed_ or leaves stop_ for the caller.
  bool AskedAgain(std::uint32_t speed, const PortLineFormat& format);
  // Bytes heard at 8N1: judged at the formats they point to, listening
  // again where they alone cannot tell. True when found.
  bool Follow(std::uint32_t speed, const Heard& heard, bool asked);
  // One try at a speed: the first listen at 8N1 or, when `ask`, a request
  // at `format`, and what it points to. The outcome when the search ends;
  // `heard` keeps what the first listen heard.
  std::optional<DetectionOutcome> TryAt(std::uint32_t speed, const PortLineFormat& format, bool ask,
                                        Heard& heard, std::chrono::milliseconds wait = {});

  // A clear answer of balance records alone tells nothing of the shape of
  // the scale's readings: on the port that heard them, the next reading
  // within a pause decides; none, and the bare number stays.
  void AwaitReading();
  // Where the lines read as readings under more than one protocol: each of
  // those protocols' requests sent alone at the speed and format found.
  void Settle(bool sendsByItself);
  // Sends `request` (for a scale that sends by itself, right after one of
  // its lines, so that its next line cannot pass for the reply) and returns
  // what arrived after it.
  std::string Probe(std::string_view request, bool afterLine);

  void CloseNow();
  DetectionResult Finish(DetectionOutcome outcome);

  DetectionPort& port_;
  const DetectionTiming& timing_;
  const std::atomic<bool>& stop_;
  const std::function<void(const DetectionStep&)>& progress_;
  DetectionResult result_;
  std::optional<ListenScore> best_;
  bool bestClear_ = false;
  bool opened_ = false;
  bool portFailed_ = false;
  // The port as the last try left it: open, at what, and whether what it
  // heard last was a line end.
  bool open_ = false;
  std::uint32_t openSpeed_ = 0;
  PortLineFormat openFormat_;
  bool atLineEnd_ = false;
};

void Search::CloseNow() {
  if (open_) port_.Close();
  open_ = false;
}

Search::Try Search::Listen(std::uint32_t speed, const PortLineFormat& format, bool ask,
                           std::chrono::milliseconds window, int lines, Heard& heard,
                           std::string_view request, std::chrono::milliseconds wait) {
  if (stop_) return Try::Stopped;
  const bool waits = wait.count() > 0;
  DetectionStep step{speed, format, ask, waits, ++result_.tries};
  if (progress_) progress_(step);
  if (stop_) return Try::Stopped;
  CloseNow();
  PortProblem problem;
  // A network port may refuse a connection made right after the last one
  // closed: once the port has opened, a failed open is tried again once.
  if (!port_.Open(speed, format, problem) && (!opened_ || !port_.Open(speed, format, problem))) {
    // A device that cannot be opened ends the search with the diagnosis; a
    // speed or format the driver refuses is only skipped.
    if (!opened_ || problem.errorCode == ecOpenFailed) {
      portFailed_ = true;
      result_.problem = problem;
      result_.problemSpeed = speed;
    }
    return Try::Failed;
  }
  opened_ = open_ = true;
  openSpeed_ = speed;
  openFormat_ = format;
  if (ask) port_.Write(request.empty() ? std::string_view(DetectionRequests()) : request);
  const DetectionClock::time_point opened = port_.Now();
  DetectionClock::time_point deadline = opened + (waits ? wait : window);
  DetectionClock::time_point latest = deadline + ConfirmWindow(timing_, speed);
  DetectionClock::time_point lastBytes = opened;
  bool graced = false;
  while (!stop_ && port_.Now() < deadline) {
    DetectionClock::time_point until = deadline;
    if (!ask) {
      const int ends = LineEnds(heard.bytes);
      if (ends >= lines || (ends > 0 && heard.wholeFirst && ReadClearly(heard))) break;
      // Garbage: a scale sending at another speed. Its line is not waited
      // out once it has gone quiet.
      const bool at8N1 = SameFormat(format, k8N1);
      if (at8N1 && heard.Any() && FormatsSeenAt8N1(heard.bytes, heard.lineErrors).empty()) {
        if (port_.Now() >= lastBytes + QuietTime(speed)) break;
        until = std::min(deadline, lastBytes + QuietTime(speed));
      }
    }
    const bool before = heard.Any();
    const std::size_t had = heard.bytes.size();
    const std::uint32_t hadErrors = heard.lineErrors;
    port_.Read(until, heard.bytes, heard.lineErrors);
    if (heard.bytes.size() != had || heard.lineErrors != hadErrors) lastBytes = port_.Now();
    if (!before && heard.Any()) {
      heard.wholeFirst = ask || port_.Now() - opened > QuietTime(speed);
      if (waits) {
        deadline = port_.Now() + window;
        latest = deadline + ConfirmWindow(timing_, speed);
      }
      deadline = std::max(deadline, std::min(latest, port_.Now() + LineTime(speed)));
    }
    // After a request the other requests of the burst may be answered too
    // (refused): a line's time more for their replies.
    if (ask && !graced && LineEnds(heard.bytes) >= lines) {
      graced = true;
      deadline = std::min(latest, port_.Now() + LineTime(speed));
    }
  }
  atLineEnd_ = !heard.bytes.empty() && (heard.bytes.back() & 0x7F) == '\n';
  if (stop_) return Try::Stopped;
  if (heard.Any()) result_.heard = true;
  return Try::Heard;
}

bool Search::Judge(std::uint32_t speed, const PortLineFormat& format, const Heard& heard) {
  if (!heard.Any()) return false;
  ListenScore score = ScoreListen(heard.bytes, heard.lineErrors);
  // A listen may open in the middle of a line, whose tail no protocol reads
  // as it should: where the lines after the first are a clear answer by
  // themselves, the first is left out; a first line alone that may be such
  // a tail is no answer.
  const std::size_t first = heard.bytes.find('\n');
  if (LineEnds(heard.bytes) >= 2) {
    const ListenScore rest = ScoreListen(std::string_view(heard.bytes).substr(first + 1), heard.lineErrors);
    if (rest.Clear()) score = rest;
  }
  const bool clear = score.Clear() && (heard.wholeFirst || LineEnds(heard.bytes) >= 2);
  const auto rank = [](const ListenScore& s, bool c) {
    return std::make_tuple(c, s.readLines, s.textLines, -(s.lines - s.textLines));
  };
  if (!best_ || rank(score, clear) > rank(*best_, bestClear_)) {
    best_ = score;
    bestClear_ = clear;
    result_.speed = speed;
    result_.format = format;
    result_.protocol = score.protocol;
    result_.confidence = score.Confidence();
    result_.sample = score.sample;
  }
  return clear;
}

bool Search::AskedAgain(std::uint32_t speed, const PortLineFormat& format) {
  const ProtocolId protocol = result_.protocol;
  // As long as a first listen, for a scale that sends by itself and only
  // happened to send after a request.
  const auto window = timing_.listen + ReplyWindow(timing_, speed);
  Heard again;
  if (format.dataBits != 7) {
    if (Listen(speed, format, true, window, 1, again) != Try::Heard) return false;
    const bool clear = ScoreListen(again.bytes, again.lineErrors).Clear();
    return Judge(speed, format, again) && clear && result_.protocol == protocol;
  }
  // A 7-bit frame is an 8N1 frame whose eighth bit is the parity or the
  // first stop bit: asked so and heard at 8N1, the reply's eighth bits tell
  // the scale's own format even where the device reports no parity errors.
  if (Listen(speed, k8N1, true, window, 1, again, FramedAs8N1(DetectionRequests(), format)) != Try::Heard) {
    return false;
  }
  const std::vector<PortLineFormat> seen = FormatsSeenAt8N1(again.bytes, again.lineErrors);
  if (seen.empty() || seen.front().dataBits != 7) return false;
  again.bytes = Without8thBits(again.bytes);
  if (!ScoreListen(again.bytes, again.lineErrors).Clear() || !Judge(speed, seen.front(), again)) return false;
  result_.format = seen.front();
  return result_.protocol == protocol;
}

bool Search::Follow(std::uint32_t speed, const Heard& heard, bool asked) {
  if (Judge(speed, k8N1, heard) && (!asked || AskedAgain(speed, k8N1))) return true;
  // Bytes that end no line are the garbage of a scale at another speed.
  if (stop_ || portFailed_ || LineEnds(heard.bytes) == 0) return false;
  const bool wholeLine = LineEnds(heard.bytes) > (heard.wholeFirst ? 0 : 1);
  for (const PortLineFormat& format : FormatsSeenAt8N1(heard.bytes, heard.lineErrors)) {
    // At 8N1 a second listen only helps when the first caught no whole line.
    if (SameFormat(format, k8N1) && wholeLine) continue;
    // Heard at 8N1, a 7-bit frame is its data and its eighth bit: a scale
    // that sends by itself has shown its format already.
    if (!asked && format.dataBits == 7) {
      Heard bits = heard;
      bits.bytes = Without8thBits(bits.bytes);
      if (Judge(speed, format, bits)) return true;
    }
    Heard more;
    const Try t = Listen(speed, format, asked, ConfirmWindow(timing_, speed), asked ? 1 : 2, more);
    if (t == Try::Stopped || (t == Try::Failed && portFailed_)) return false;
    if (t == Try::Heard && Judge(speed, format, more)) return true;
  }
  return false;
}

std::string Search::Probe(std::string_view request, bool afterLine) {
  const std::uint32_t speed = result_.speed;
  const PortLineFormat format = result_.format;
  if (stop_) return {};
  DetectionStep step{speed, format, true, false, ++result_.tries};
  if (progress_) progress_(step);
  // A scale that sends by itself is asked on the port that heard it, at
  // once where that just heard a line end; a 7-bit format heard at 8N1 is
  // asked at 8N1 with its bits.
  std::string sent(request);
  const bool bitsAt8N1 = SameFormat(openFormat_, k8N1) && format.dataBits == 7;
  const bool reuse = afterLine && open_ && openSpeed_ == speed && (SameFormat(openFormat_, format) || bitsAt8N1);
  if (reuse) {
    if (!SameFormat(openFormat_, format)) sent = FramedAs8N1(request, format);
  } else {
    CloseNow();
    PortProblem problem;
    if (!port_.Open(speed, format, problem) && !port_.Open(speed, format, problem)) return {};
    open_ = true, openSpeed_ = speed, openFormat_ = format, atLineEnd_ = false;
  }
  Heard heard;
  if (afterLine && !atLineEnd_) {
    const DetectionClock::time_point until = port_.Now() + timing_.listen + LineTime(speed);
    while (!stop_ && port_.Now() < until && LineEnds(heard.bytes) == 0) {
      port_.Read(until, heard.bytes, heard.lineErrors);
    }
  }
  const std::size_t end = heard.bytes.rfind('\n');
  const std::size_t from = end == std::string::npos ? 0 : end + 1;
  heard.bytes.erase(0, from);
  port_.Write(sent);
  DetectionClock::time_point deadline = port_.Now() + ReplyWindow(timing_, speed);
  const DetectionClock::time_point latest = deadline + ConfirmWindow(timing_, speed);
  bool extended = false;
  while (!stop_ && port_.Now() < deadline && LineEnds(heard.bytes) == 0) {
    port_.Read(deadline, heard.bytes, heard.lineErrors);
    if (!extended && !heard.bytes.empty()) {
      extended = true;
      deadline = std::max(deadline, std::min(latest, port_.Now() + LineTime(speed)));
    }
  }
  atLineEnd_ = !heard.bytes.empty() && (heard.bytes.back() & 0x7F) == '\n';
  return heard.bytes;
}

namespace {

bool ReadsReading(ProtocolId protocol, std::string_view bytes) {
  std::string line;
  for (const char ch : bytes) {
    const char c = static_cast<char>(ch & 0x7F);
    if (c == '\n') {
      if (ClassifyLine(protocol, line).kind == LineKind::Reading) return true;
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  return false;
}

}  // namespace

void Search::AwaitReading() {
  const bool recordsOnly = result_.protocol == ProtocolId::Liczba &&
                             ClassifyLine(ProtocolId::Liczba, result_.sample).kind != LineKind::Reading;
  if (!recordsOnly || !open_ || openSpeed_ != result_.speed || !SameFormat(openFormat_, result_.format)) return;
  if (progress_) progress_(DetectionStep{result_.speed, result_.format, false, true, ++result_.tries});
  const DetectionClock::time_point until = port_.Now() + timing_.pause;
  std::string bytes;
  std::uint32_t errors = 0;
  while (!stop_ && port_.Now() < until) {
    port_.Read(until, bytes, errors);
    for (std::size_t end = bytes.find('\n'); end != std::string::npos; end = bytes.find('\n')) {
      std::string line = bytes.substr(0, end);
      bytes.erase(0, end + 1);
      std::erase(line, '\r');
      BalanceRecord record;
      if (ParseBalanceRecord(line, record)) continue;
      const ListenScore score = ScoreListen(line + "\n", 0);
      if (score.readings == 0) continue;
      best_ = score;
      result_.protocol = score.protocol;
      result_.sample = score.sample;
      return;
    }
  }
}

void Search::Settle(bool sendsByItself) {
  if (!best_) return;
  std::vector<ProtocolId> candidates;
  for (const ProtocolId id : kPreferred) {
    if ((best_->readers >> static_cast<unsigned>(id)) & 1U) candidates.push_back(id);
  }
  if (candidates.size() < 2) return;
  std::vector<std::pair<std::string, std::string>> replies;  // request, reply
  bool asked = false;
  for (const ProtocolId id : candidates) {
    const std::string& request = CommandsOf(id).request;
    if (request.empty()) continue;
    auto it = std::find_if(replies.begin(), replies.end(), [&](const auto& r) { return r.first == request; });
    if (it == replies.end()) {
      replies.emplace_back(request, Probe(request, sendsByItself));
      it = replies.end() - 1;
      if (stop_) return;
    }
    asked = true;
    if (ReadsReading(id, it->second)) {
      result_.protocol = id;
      return;
    }
  }
  if (!asked) return;
  // No request of theirs was answered with a reading: a protocol that has
  // no request, where one reads the lines. A scale that sends by itself may
  // pass over requests it knows: there only the shape tells, and the answer
  // to ESC P is as wide as its fields (sixteen characters with the line
  // end), where a number with its unit ends at the unit.
  const std::size_t width = result_.sample.size();
  if (sendsByItself && (result_.protocol != ProtocolId::EscP || width == 14 || width == 20)) return;
  for (const ProtocolId id : candidates) {
    if (CommandsOf(id).request.empty()) {
      result_.protocol = id;
      return;
    }
  }
}

DetectionResult Search::Finish(DetectionOutcome outcome) {
  CloseNow();
  result_.outcome = outcome;
  if (outcome == DetectionOutcome::PortFailed) result_.heard = false;
  return result_;
}

std::optional<DetectionOutcome> Search::TryAt(std::uint32_t speed, const PortLineFormat& format, bool ask,
                                              Heard& heard, std::chrono::milliseconds wait) {
  const Try t = ask ? Listen(speed, format, true, ReplyWindow(timing_, speed), 1, heard)
                    : Listen(speed, k8N1, false, timing_.listen, 2, heard, {}, wait);
  if (t == Try::Stopped) return DetectionOutcome::Cancelled;
  if (portFailed_) return DetectionOutcome::PortFailed;
  if (t != Try::Heard || !heard.Any()) return std::nullopt;
  const bool found = SameFormat(format, k8N1) ? Follow(speed, heard, ask)
                                              : Judge(speed, format, heard) && AskedAgain(speed, format);
  if (found) {
    AwaitReading();
    Settle(!ask);
  }
  if (stop_) return DetectionOutcome::Cancelled;
  if (found) return DetectionOutcome::Found;
  if (portFailed_) return DetectionOutcome::PortFailed;
  return std::nullopt;
}

DetectionResult Search::Run() {
  const std::vector<std::uint32_t> speeds = DetectionSpeeds();
  // A speed that heard nothing, or bytes that are text under some format,
  // may still be the scale's; one that heard only garbage is not.
  std::vector<std::uint32_t> maybe = speeds;
  const auto heardGarbage = [&](std::uint32_t speed, const Heard& heard) {
    if (heard.Any() && FormatsSeenAt8N1(heard.bytes, heard.lineErrors).empty()) std::erase(maybe, speed);
  };
  // Listened to at 8N1: a scale that sends by itself shows up here, and the
  // bytes tell its format.
  std::size_t listened = 0;
  for (; listened < speeds.size() && (listened < kLikelySpeeds || result_.heard); ++listened) {
    Heard heard;
    if (const auto end = TryAt(speeds[listened], k8N1, false, heard)) return Finish(*end);
    heardGarbage(speeds[listened], heard);
  }
  // Heard, but only as garbage where anything came: a scale that sends by
  // itself and paused while its own speed was listened to or asked. The
  // speeds that may be its own are listened to again, waiting for it,
  // until it keeps quiet a whole wait or three waits' time has passed.
  bool waited = false;
  const auto waitForIt = [&]() -> std::optional<DetectionOutcome> {
    waited = true;
    const DetectionClock::time_point until = port_.Now() + 3 * timing_.pause;
    for (const std::uint32_t speed : maybe) {
      if (port_.Now() >= until) break;
      Heard heard;
      if (const auto end = TryAt(speed, k8N1, false, heard, timing_.pause)) return end;
      if (!heard.Any()) break;
    }
    return std::nullopt;
  };
  if (result_.heard && maybe.size() < speeds.size()) {
    if (const auto end = waitForIt()) return Finish(*end);
  }
  // Every speed and format asked once, for a scale that answers only then.
  for (const std::uint32_t speed : speeds) {
    for (const PortLineFormat& format : DetectionFormats()) {
      Heard heard;
      if (const auto end = TryAt(speed, format, true, heard)) return Finish(*end);
      if (!SameFormat(format, k8N1)) continue;
      heardGarbage(speed, heard);
      // The scale is sending now: the speeds that may be its own first.
      if (!waited && maybe.size() < speeds.size()) {
        if (const auto end = waitForIt()) return Finish(*end);
      }
    }
  }
  return Finish(DetectionOutcome::NotFound);
}

}  // namespace

std::vector<std::uint32_t> DetectionSpeeds() {
  std::vector<std::uint32_t> speeds = {9600, 4800, 2400, 1200, 19200, 38400};
  for (int rate = kFirstOfferedRate; rate <= kLastOfferedRate; ++rate) {
    const std::uint32_t bps = kBaudRates[static_cast<std::size_t>(rate)].bitsPerSecond;
    if (std::find(speeds.begin(), speeds.end(), bps) == speeds.end() && bps >= 1200) speeds.push_back(bps);
  }
  // The slowest last: each of their tries takes longest.
  for (int rate = br600; rate >= kFirstOfferedRate; --rate) {
    speeds.push_back(kBaudRates[static_cast<std::size_t>(rate)].bitsPerSecond);
  }
  return speeds;
}

std::vector<PortLineFormat> DetectionFormats() { return {k8N1, k7E1, k7O1, k8E1, k8O1, k7N2}; }

std::string FormatName(const PortLineFormat& format) {
  static constexpr char kParity[] = {'N', 'O', 'E', 'M', 'S'};
  std::string name = std::to_string(format.dataBits);
  name += format.parity < 5 ? kParity[format.parity] : '?';
  name += format.stopBits == 0 ? "1" : format.stopBits == 1 ? "1.5" : "2";
  return name;
}

std::string FramedAs8N1(std::string_view bytes, const PortLineFormat& format) {
  std::string framed(bytes);
  for (char& ch : framed) {
    const auto c = static_cast<unsigned char>(ch & 0x7F);
    const bool odd = std::popcount(static_cast<unsigned>(c)) % 2 == 1;
    const bool high = format.parity == 0 ? true : format.parity == 2 ? odd : !odd;
    ch = static_cast<char>(c | (high ? 0x80 : 0));
  }
  return framed;
}

std::string DetectionRequests() {
  std::string burst;
  std::vector<std::string> seen;
  for (const ProtocolId id : kProtocolIds) {
    const std::string& request = CommandsOf(id).request;
    if (request.empty() || std::find(seen.begin(), seen.end(), request) != seen.end()) continue;
    seen.push_back(request);
    burst += request;
  }
  // A scale that reads lines would take a request without a line end (ESC P)
  // into the next line it reads, and refuse the next request; and it may
  // hold what the tries at other speeds made of the burst as the start of
  // a line: a line end first ends that line.
  if (!burst.empty() && burst.back() != '\n') burst += "\r\n";
  return burst.empty() ? burst : "\r\n" + burst;
}

std::chrono::milliseconds SilentSearchBound(const DetectionTiming& timing) {
  std::chrono::milliseconds bound{0};
  const std::vector<std::uint32_t> speeds = DetectionSpeeds();
  for (std::size_t i = 0; i < speeds.size(); ++i) {
    if (i < kLikelySpeeds) bound += timing.listen;
    bound += ReplyWindow(timing, speeds[i]) * static_cast<int>(DetectionFormats().size());
  }
  return bound;
}

std::string StepText(const DetectionStep& step) {
  return std::to_string(step.speed) + " bps, " + FormatName(step.format) +
         (step.asking ? ": pytam wagę" : step.waiting ? ": czekam, aż waga znów nada" : ": słucham");
}

int ListenScore::Confidence() const { return lines == 0 ? 0 : readLines * 100 / lines; }

bool ListenScore::Clear() const {
  // One line is enough when it is long enough not to be noise that happens
  // to look like a reading.
  return lines > 0 && readings > 0 && textLines == lines && readLines * 2 > lines &&
         (lines >= 2 || sample.size() >= 4);
}

ListenScore ScoreListen(std::string_view bytes, std::uint32_t lineErrors) {
  ListenScore score;
  std::vector<std::string> lines;
  std::string line;
  for (const char c : bytes) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  // Per protocol: lines read at all, and readings among them. A line that
  // some protocol reads as a status is a reply too: the refusal of a
  // request of another protocol in the burst ("ES").
  std::array<int, kProtocolIds.size()> read{}, readings{};
  std::vector<bool> text, status;
  std::vector<std::array<bool, kProtocolIds.size()>> readBy;
  for (const std::string& l : lines) {
    const bool isText = !l.empty() && std::all_of(l.begin(), l.end(), [](char c) {
      return Printable(static_cast<unsigned char>(c));
    });
    text.push_back(isText);
    status.push_back(false);
    readBy.emplace_back();
    if (!isText) continue;
    ++score.textLines;
    // The balance report belongs to the bare number's scales.
    BalanceRecord record;
    const bool isBalance = ParseBalanceRecord(l, record);
    for (std::size_t p = 0; p < kProtocolIds.size(); ++p) {
      const LineKind kind = ClassifyLine(kProtocolIds[p], l).kind;
      const bool reading = kind == LineKind::Reading || (isBalance && kProtocolIds[p] == ProtocolId::Liczba);
      readBy.back()[p] = reading || kind == LineKind::Status;
      // A refusal is the reply of a scale that did not know a request of
      // the burst: it tells no protocol.
      const bool refusal = kind == LineKind::Status &&
                           ClassifyLine(kProtocolIds[p], l).status.kind == StatusKind::Error;
      read[p] += readBy.back()[p] && !refusal;
      readings[p] += reading;
      if (kind == LineKind::Status) status.back() = true;
    }
  }
  score.lines = static_cast<int>(lines.size());
  // Noise after the last line end counts as a line that is no text.
  if (!std::all_of(line.begin(), line.end(), [](char c) { return Printable(static_cast<unsigned char>(c)); })) {
    ++score.lines;
  }
  std::pair<int, int> best{-1, -1};
  for (const ProtocolId id : kPreferred) {
    const auto p = static_cast<std::size_t>(id);
    if (std::make_pair(readings[p], read[p]) > best) best = {readings[p], read[p]}, score.protocol = id;
  }
  const auto chosen = static_cast<std::size_t>(score.protocol);
  score.readings = readings[chosen];
  for (std::size_t p = 0; p < kProtocolIds.size(); ++p) {
    if (readings[p] > 0 && readings[p] == readings[chosen]) score.readers |= 1U << p;
  }
  score.readLines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) score.readLines += readBy[i][chosen] || status[i];
  if (lineErrors != 0) score.textLines = std::min(score.textLines, score.lines - 1);
  for (const LineKind kind : {LineKind::Reading, LineKind::Status}) {
    for (std::size_t i = 0; i < lines.size() && score.sample.empty(); ++i) {
      if (text[i] && ClassifyLine(score.protocol, lines[i]).kind == kind) score.sample = lines[i];
    }
  }
  for (std::size_t i = 0; i < lines.size() && score.sample.empty(); ++i) {
    if (!lines[i].empty()) score.sample = lines[i];
  }
  if (score.sample.empty()) score.sample = line;
  return score;
}

std::vector<PortLineFormat> FormatsSeenAt8N1(std::string_view bytes, std::uint32_t lineErrors) {
  if (bytes.empty()) return {};
  struct Reading {
    PortLineFormat format;
    int fits = 0;
  };
  std::array<Reading, 4> readings = {{{k8N1}, {k7E1}, {k7O1}, {k7N2}}};
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    const bool high = (c & 0x80) != 0;
    const bool even = std::popcount(static_cast<unsigned>(c)) % 2 == 0;
    const bool text7 = TextByte(c & 0x7F);
    readings[0].fits += !high && text7;
    readings[1].fits += even && text7;
    readings[2].fits += !even && text7;
    readings[3].fits += high && text7;
  }
  const int n = static_cast<int>(bytes.size());
  std::vector<PortLineFormat> formats;
  // A 9-bit character read as 8N1 shows its data as sent; where its parity
  // bit is 0 the stop bit is missing.
  if (lineErrors != 0 && readings[0].fits * 10 >= n * 9) formats = {k8E1, k8O1};
  std::stable_sort(readings.begin(), readings.end(),
                   [](const Reading& a, const Reading& b) { return a.fits > b.fits; });
  for (const Reading& r : readings) {
    if (r.fits * 10 >= n * 9) formats.push_back(r.format);
  }
  return formats;
}

DetectionResult DetectScale(DetectionPort& port, const DetectionTiming& timing,
                            const std::atomic<bool>& stop,
                            const std::function<void(const DetectionStep&)>& progress) {
  return Search(port, timing, stop, progress).Run();
}

namespace {

// Control bytes and bytes above ASCII as <XX>, so that noise stays readable.
std::string Shown(std::string_view line) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (Printable(c)) {
      text += ch;
    } else {
      text += {'<', kHex[c >> 4], kHex[c & 15], '>'};
    }
  }
  return text;
}

}  // namespace

std::string DetectionText(const DetectionResult& r) {
  const std::string what = std::to_string(r.speed) + " bps, " + FormatName(r.format) +
                           ", protokół " + std::string(ProtocolIdText(r.protocol));
  switch (r.outcome) {
    case DetectionOutcome::Found:
      return "Znaleziono wagę: " + what + " (pewność " + std::to_string(r.confidence) +
             "%).\nPrzykładowy wiersz: " + Shown(r.sample);
    case DetectionOutcome::Cancelled: return "Wykrywanie przerwane.";
    case DetectionOutcome::PortFailed: return "Nie można otworzyć portu.";
    case DetectionOutcome::NotFound: break;
  }
  std::string text = "nie znaleziono wagi";
  if (!r.heard) return text + ": przy żadnej prędkości nic nie przyszło.";
  return text + ". Najbliżej: " + what + " (pewność " + std::to_string(r.confidence) +
         "%).\nUsłyszany wiersz: " + Shown(r.sample);
}
