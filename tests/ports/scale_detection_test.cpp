#include "ports/scale_detection.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <random>

#include "ports/detection_run.h"
#include "tests/ports/scripted_scale_port.h"
#include "tests/support/serial/pty_with_port_map.h"

namespace {

PortLineFormat Fmt(std::string_view text) {
  PortLineFormat format;
  std::string error;
  EXPECT_TRUE(ParseLineFormat(text, format, error)) << text;
  return format;
}

const DetectionTiming kTiming{};

DetectionResult Search(ScriptedScalePort& port, int stopAtTry = 0) {
  std::atomic<bool> stop{false};
  return DetectScale(port, kTiming, stop, [&](const DetectionStep& step) {
    if (step.index == stopAtTry) stop = true;
  });
}

TEST(ReceiveAs, ResamplesBitsAsAUart) {
  // Same side: the bytes as sent; a 7E1 frame read as 8N1 shows its parity
  // bit as the eighth bit; a 9-bit frame at 8N1 misses its stop bit where
  // the parity bit is 0.
  const WireSide n9600{9600, Fmt("8N1")};
  EXPECT_EQ(ReceiveAs("S\r\n", n9600, n9600).bytes, "S\r\n");
  EXPECT_EQ(ReceiveAs("1", {9600, Fmt("7E1")}, n9600).bytes, "\xB1");
  const Received nine = ReceiveAs("03", {9600, Fmt("8E1")}, n9600);
  EXPECT_EQ(nine.bytes, "03");
  EXPECT_EQ(nine.errors, 2u);  // both have an even count of ones
  EXPECT_EQ(ReceiveAs("1", {9600, Fmt("8O1")}, {9600, Fmt("8E1")}).errors, 1u);
  EXPECT_NE(ReceiveAs("12.50", {4800, Fmt("8N1")}, n9600).bytes, "12.50");
  // A 7-bit frame written as 8N1 is the same on the wire.
  for (const char* format : {"7E1", "7O1", "7N2"}) {
    const Received r = ReceiveAs(FramedAs8N1("SI\r\n", Fmt(format)), n9600, {9600, Fmt(format)});
    EXPECT_EQ(r.bytes, "SI\r\n") << format;
    EXPECT_EQ(r.errors, 0u) << format;
  }
}

struct FoundCase {
  std::uint32_t speed;
  const char* format;
  bool answersOnly;
  ProtocolId protocol = ProtocolId::Liczba;
  const char* line = "  12.50";
  const char* more = "";  // what follows the line: refusals of the other requests
  const char* answers = "";  // the one request the scale answers
  bool readsLines = false;
};

class DetectionFinds : public ::testing::TestWithParam<FoundCase> {};

TEST_P(DetectionFinds, SpeedAndFormat) {
  const FoundCase& c = GetParam();
  ScriptedScalePort port;
  port.scale = {c.speed, Fmt(c.format)};
  port.answersOnly = c.answersOnly;
  port.line = std::string(c.line) + "\r\n" + c.more;
  port.answers = c.answers;
  port.readsLines = c.readsLines;
  const DetectionResult r = Search(port);
  ASSERT_EQ(r.outcome, DetectionOutcome::Found) << DetectionText(r);
  EXPECT_EQ(r.speed, c.speed);
  EXPECT_EQ(FormatName(r.format), c.format);
  EXPECT_EQ(r.protocol, c.protocol);
  EXPECT_EQ(r.sample, c.line);
  EXPECT_EQ(r.confidence, 100);
  EXPECT_FALSE(port.open);
  // A scale that sends by itself is found by listening, and by one request
  // alone where its lines read under two protocols.
  EXPECT_TRUE(c.answersOnly ? port.writes > 0 : port.writes <= 1) << port.writes;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DetectionFinds,
    ::testing::Values(FoundCase{9600, "8N1", false}, FoundCase{2400, "7E1", false},
                      FoundCase{1200, "7O1", false}, FoundCase{4800, "8E1", false},
                      FoundCase{19200, "8O1", false}, FoundCase{9600, "7N2", false},
                      FoundCase{300, "8N1", false}, FoundCase{4800, "7E1", true},
                      FoundCase{1200, "7O1", true}, FoundCase{19200, "8N1", true},
                      FoundCase{9600, "8N1", true, ProtocolId::Si, "S S     129.09 kg"},
                      FoundCase{2400, "7E1", false, ProtocolId::St, "ST,GS,+0012.34kg"},
                      FoundCase{1200, "7O1", true, ProtocolId::EscP, "+    12.50 kg "},
                      FoundCase{4800, "8N1", true, ProtocolId::Ramka, "SI ?       18.5 kg "},
                      FoundCase{2400, "7E1", true, ProtocolId::Jednostka, "  12.50 kg", "ES\r\n"},
                      FoundCase{19200, "8E1", false, ProtocolId::Jednostka, "  12.50 kg"},
                      FoundCase{9600, "8N1", false, ProtocolId::Liczba, "001     45.23 kg     45.23 kg"},
                      // Held what the requests at the other speeds made: a line end first.
                      FoundCase{19200, "8N1", true, ProtocolId::Si, "S S  9.09 kg", "ES\r\n", "SI\r\n", true},
                      // Lines that read as both shapes: told by whose request is answered.
                      FoundCase{4800, "7E1", false, ProtocolId::EscP, "+    12.50 kg", "", "\x1bP"},
                      FoundCase{9600, "8N1", true, ProtocolId::Jednostka, "+    12.50 kg", "ES\r\n", "SI\r\n"},
                      FoundCase{1200, "7O1", true, ProtocolId::EscP, "+    12.50 kg", "", "\x1bP"},
                      // ... or, sent by itself and no request answered, by its width.
                      FoundCase{9600, "8N1", false, ProtocolId::Jednostka, "+    12.50 kg"}),
    [](const auto& i) { return std::to_string(i.param.speed) + "_" + i.param.format + "_" + std::to_string(i.index); });

TEST(Detection, LineBegunBeforeThePortOpenedIsLeftOut) {
  // Its tail reads as no reading at all, or as another shape's.
  const struct {
    const char* line;
    const char* answers;
    ProtocolId protocol;
  } cases[] = {{"S S     129.09 kg", "SI\r\n", ProtocolId::Si}, {"+    12.50 kg ", "\x1bP", ProtocolId::EscP}};
  for (const auto& c : cases) {
    ScriptedScalePort port;
    port.scale = {9600, Fmt("8N1")};
    port.interval = std::chrono::milliseconds(500);
    port.line = std::string(c.line) + "\r\n";
    port.answers = c.answers;
    port.cutFirst = 2;
    const DetectionResult r = Search(port);
    ASSERT_EQ(r.outcome, DetectionOutcome::Found) << DetectionText(r);
    EXPECT_EQ(r.tries, 1 + port.writes) << c.line;
    EXPECT_EQ(r.protocol, c.protocol) << c.line;
    EXPECT_EQ(r.sample, c.line);
  }
}

TEST(Detection, SilentPortIsGivenUpWithinItsBound) {
  ScriptedScalePort port;
  port.answersOnly = true;
  port.line.clear();
  const DetectionResult r = Search(port);
  EXPECT_EQ(r.outcome, DetectionOutcome::NotFound);
  EXPECT_FALSE(r.heard);
  EXPECT_EQ(r.tries, 6 + 13 * 6);  // a port silent at the likely speeds is asked only at the rest
  EXPECT_LE(port.now - port.start, SilentSearchBound(kTiming));
  EXPECT_LT(SilentSearchBound(kTiming), std::chrono::seconds(60));
  EXPECT_EQ(DetectionText(r), "nie znaleziono wagi: przy żadnej prędkości nic nie przyszło.");
}

TEST(Detection, NoiseIsNoScaleButItsBestGuessIsTold) {
  ScriptedScalePort port;
  std::mt19937 random(7);
  port.line.clear();
  for (int i = 0; i < 20; ++i) port.line += static_cast<char>(random() & 0xFF);
  port.line += "\n";
  const DetectionResult r = Search(port);
  EXPECT_EQ(r.outcome, DetectionOutcome::NotFound);
  EXPECT_TRUE(r.heard);
  EXPECT_FALSE(r.sample.empty());
  EXPECT_NE(DetectionText(r).find("nie znaleziono wagi. Najbliżej: "), std::string::npos);
}

TEST(Detection, ScaleThatChangesSpeedIsFoundAtItsLastSpeed) {
  // Heard at 4800 8E1 by the listen at 8N1; at the listen at 8E1 that
  // follows it sends at 1200 already.
  ScriptedScalePort port;
  port.scale = {4800, Fmt("8E1")};
  port.changeAtOpen = 3;
  port.changed = {1200, Fmt("8E1")};
  const DetectionResult r = Search(port);
  ASSERT_EQ(port.tried.at(2), "4800 8E1");
  ASSERT_EQ(r.outcome, DetectionOutcome::Found) << DetectionText(r);
  EXPECT_EQ(r.speed, 1200u);
  EXPECT_EQ(FormatName(r.format), "8E1");
}

TEST(Detection, AScaleSendingByItselfIsFoundThroughAPauseOrAReportFirst) {
  const struct {
    std::uint32_t speed;
    std::vector<std::string> lines;
    int pauseMs;
  } cases[] = {
      // A line every 9.5 s: garbage at 9600 and at one of the later speeds,
      // nothing at its own.
      {4800, {"ST,GS,+0012.34kg\r\n"}, 9000},
      // A balance record first: the bare number's, it tells no shape.
      {9600, {"001     45.23 kg     45.23 kg\r\n", "ST,GS,+0012.34kg\r\n"}, 0}};
  for (const auto& c : cases) {
    ScriptedScalePort port;
    port.scale = {c.speed, Fmt("8N1")};
    port.lines = c.lines;
    port.interval = std::chrono::milliseconds(c.pauseMs > 0 ? 500 : 1000);
    port.pause = std::chrono::milliseconds(c.pauseMs);
    const DetectionResult r = Search(port);
    ASSERT_EQ(r.outcome, DetectionOutcome::Found) << DetectionText(r);
    EXPECT_EQ(r.speed, c.speed);
    EXPECT_EQ(r.protocol, ProtocolId::St);
    EXPECT_EQ(r.sample, "ST,GS,+0012.34kg");
    EXPECT_EQ(port.writes, 0);
  }
}

TEST(Detection, PortThatCannotBeOpenedIsNotSearched) {
  ScriptedScalePort port;
  port.failOpens = {1};
  const DetectionResult r = Search(port);
  EXPECT_EQ(r.outcome, DetectionOutcome::PortFailed);
  EXPECT_EQ(r.tries, 1);
  EXPECT_EQ(r.problem.errorCode, ecOpenFailed);
  EXPECT_EQ(r.problemSpeed, 9600u);
}

TEST(Detection, OpenThatFailsOnceIsTriedAgainAndASpeedTheDriverRefusesIsSkipped) {
  ScriptedScalePort port;
  port.scale = {2400, Fmt("8N1")};
  port.failOpens = {2, 3};  // 4800, and again
  port.problem = {ecSetStateFailed, 22, "set"};
  DetectionResult r = Search(port);
  ASSERT_EQ(r.outcome, DetectionOutcome::Found);
  EXPECT_EQ(r.speed, 2400u);
  EXPECT_EQ(port.tried.at(3), "2400 8N1");

  ScriptedScalePort flaky;
  flaky.scale = {4800, Fmt("8N1")};
  flaky.failOpens = {2};  // a network port that refused one connection
  r = Search(flaky);
  ASSERT_EQ(r.outcome, DetectionOutcome::Found);
  EXPECT_EQ(flaky.tried.at(2), "4800 8N1");
}

TEST(Detection, StopEndsTheSearchWithThePortClosed) {
  ScriptedScalePort port;
  port.line.clear();
  const DetectionResult r = Search(port, 4);
  EXPECT_EQ(r.outcome, DetectionOutcome::Cancelled);
  EXPECT_EQ(r.tries, 4);
  EXPECT_EQ(port.opens, 3);
  EXPECT_FALSE(port.open);
}

TEST(Detection, SpeedsAreTheOfferedOnesLikelyFirst) {
  const std::vector<std::uint32_t> speeds = DetectionSpeeds();
  ASSERT_EQ(speeds.size(), static_cast<std::size_t>(kOfferedRateCount));
  EXPECT_EQ(std::vector<std::uint32_t>(speeds.begin(), speeds.begin() + 6),
            (std::vector<std::uint32_t>{9600, 4800, 2400, 1200, 19200, 38400}));
  EXPECT_EQ(speeds.back(), 110u);
}

}  // namespace

namespace {

// Collects what a DetectionRun hands over from its thread.
struct RunWatch {
  std::mutex mutex;
  std::condition_variable changed;
  int steps = 0;
  std::optional<DetectionResult> result;
  DetectionRun::Progress Progress() {
    return [this](const DetectionStep&) {
      std::lock_guard lock(mutex);
      ++steps;
      changed.notify_all();
    };
  }
  DetectionRun::Done Done() {
    return [this](const DetectionResult& r) {
      std::lock_guard lock(mutex);
      result = r;
      changed.notify_all();
    };
  }
  bool Await(const std::function<bool()>& condition) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), condition);
  }
};

TEST(DetectionRun, SearchesOnItsOwnThreadUntilStopped) {
  PtyWithPortMap pty;
  ASSERT_TRUE(pty.Create());
  RunWatch watch;
  {
    DetectionRun run("COM5", pty.mapFile, watch.Progress(), watch.Done());
    ASSERT_TRUE(watch.Await([&] { return watch.steps >= 2; }));
    run.Stop();
    ASSERT_TRUE(watch.Await([&] { return watch.result.has_value(); }));
  }
  EXPECT_EQ(watch.result->outcome, DetectionOutcome::Cancelled);

  RunWatch missing;
  DetectionRun run("COM7", pty.mapFile, missing.Progress(), missing.Done());
  ASSERT_TRUE(missing.Await([&] { return missing.result.has_value(); }));
  EXPECT_EQ(missing.result->outcome, DetectionOutcome::PortFailed);
  EXPECT_EQ(missing.result->problem.errorCode, ecOpenFailed);
}

}  // namespace
