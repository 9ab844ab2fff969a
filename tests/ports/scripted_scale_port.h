#pragma once

// A scale behind the search's port interface, on a clock of its own: what it
// sends reaches the port as a UART at the port's speed and format would
// receive it from a line at the scale's (bits resampled, framing and parity
// errors flagged), and what the port writes reaches the scale the same way.

#include <algorithm>
#include <string>
#include <vector>

#include "ports/scale_detection.h"
#include "serial/com_errors.h"
#include "tools/waga-sim/wire_model.h"

struct WireSide {
  std::uint32_t speed = 9600;
  PortLineFormat format;
};

struct Received {
  std::string bytes;
  std::uint32_t errors = 0;
};

// The simulator's wire model, between the two sides' settings.
inline Received ReceiveAs(std::string_view sent, const WireSide& tx, const WireSide& rx) {
  const auto wire = [](const WireSide& side) {
    return LineFormat{side.speed, side.format.dataBits, static_cast<Parity>(side.format.parity),
                      side.format.stopBits + 2};
  };
  Received out;
  for (const ReceivedByte& b : ReceiveOverWire(wire(tx), wire(rx), sent)) {
    out.bytes += static_cast<char>(b.value);
    out.errors += b.framingError || b.parityError;
  }
  return out;
}

class ScriptedScalePort final : public DetectionPort {
 public:
  WireSide scale;
  std::string line = "  12.50\r\n";
  std::vector<std::string> lines;  // when set: sent in turn in place of `line`
  std::chrono::milliseconds interval{1000};
  std::chrono::milliseconds pause{};  // quiet after each line, beyond the interval
  bool answersOnly = false;  // sends its line only after a write it decodes cleanly
  std::string answers;       // when set, only a write holding this request is answered
  bool readsLines = false;   // ... at the start of a line: what came before a line end is held
  std::size_t cutFirst = 0;  // the first open lands in a line: it gets it at once, less this many characters
  int changeAtOpen = 0;      // from this open on (1-based) the scale is at `changed`
  WireSide changed;
  std::vector<int> failOpens;  // these opens (1-based) fail with `problem`
  PortProblem problem{ecOpenFailed, 2, "open"};

  DetectionClock::time_point start{};
  DetectionClock::time_point now{};
  int opens = 0;
  int writes = 0;
  bool open = false;
  std::vector<std::string> tried;  // "9600 8N1" per open

  DetectionClock::time_point Now() override { return now; }
  bool Open(std::uint32_t speed, const PortLineFormat& format, PortProblem& p) override {
    ++opens;
    tried.push_back(std::to_string(speed) + " " + FormatName(format));
    if (std::find(failOpens.begin(), failOpens.end(), opens) != failOpens.end()) return p = problem, false;
    if (changeAtOpen != 0 && opens >= changeAtOpen) scale = changed;
    port_ = {speed, format};
    if (opens == 1) cut_ = cutFirst;
    open = true;
    reply_.reset();
    return true;
  }
  void Read(DetectionClock::time_point deadline, std::string& bytes, std::uint32_t& errors) override {
    DetectionClock::time_point next;
    if (answersOnly) {
      if (!reply_) return void(now = deadline);
      next = *reply_;
    } else {
      const auto cycle = interval + pause;
      next = start + (now - start + pause) / cycle * cycle + interval;
      if (reply_) next = std::min(next, *reply_);
      if (cut_ != 0) next = now;
    }
    if (next > deadline) return void(now = deadline);
    now = next + std::chrono::milliseconds(line.size() * 11 * 1000 / scale.speed);
    const std::string& sent = lines.empty() ? line : lines[sent_++ % lines.size()];
    const Received r = ReceiveAs(sent.substr(std::min(cut_, sent.size())), scale, port_);
    cut_ = 0;
    bytes += r.bytes, errors += r.errors;
    reply_.reset();
  }
  bool Write(std::string_view bytes) override {
    ++writes;
    const Received r = ReceiveAs(bytes, port_, scale);
    std::string meant(bytes);
    for (char& c : meant) c = static_cast<char>(c & ((1 << scale.format.dataBits) - 1));
    const std::string got = held_ + r.bytes;
    const std::size_t at = got.find(answers);
    if (readsLines) held_ = got.substr(got.find_last_of("\r\n") + 1);
    const bool heard = at != std::string::npos && (at == 0 || !readsLines || got[at - 1] == '\n');
    const bool asked = answers.empty() ? answersOnly : heard;
    if (asked && !bytes.empty() && r.errors == 0 && r.bytes == meant) {
      reply_ = now + std::chrono::milliseconds(30);
    }
    return true;
  }
  void Close() override { open = false; }
  void Wake() override {}

 private:
  WireSide port_;
  std::optional<DetectionClock::time_point> reply_;
  std::size_t cut_ = 0;
  std::size_t sent_ = 0;
  std::string held_;
};
