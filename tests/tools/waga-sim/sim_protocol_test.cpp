#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocols/scale_protocol.h"
#include "tests/tools/waga-sim/sim_peer.h"
#include "tools/waga-sim/sim_options.h"
#include "tools/waga-sim/sim_scale.h"

namespace {

// How the program reads a line: "text", "status <kind>" or "<number>
// <unit> <stability> <gross/net>" ('-' where the line does not say).
std::string Read(ProtocolId protocol, const std::string& line) {
  const ClassifiedLine read = ClassifyLine(protocol, line);
  if (read.kind == LineKind::Text) return "text";
  if (read.kind == LineKind::Status) return "status " + std::to_string(int(read.status.kind));
  const ScaleReading& r = read.reading;
  std::ostringstream out;
  out << r.number << ' ' << (r.unit.empty() ? "-" : r.unit) << ' ' << "-SM"[int(r.stability)] << "-GN"[int(r.kind)];
  return out.str();
}

// Each protocol's line for 12.50 kg stable gross, -8.50 g net in motion and
// an overload (status 0), and how the program reads each back.
struct ShapeCase {
  ProtocolId protocol;
  std::string lines[3], read[3];
};

void PrintTo(const ShapeCase& c, std::ostream* out) { *out << ProtocolIdText(c.protocol); }

class WeightLines : public testing::TestWithParam<ShapeCase> {};

TEST_P(WeightLines, HaveTheProtocolsShapeAndReadBack) {
  const ShapeCase& c = GetParam();
  const Weight weights[] = {{1250, true, false, false, "kg"}, {-850, false, false, true, "g"}, {0, true, true, false}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WeightLine(c.protocol, weights[i]), c.lines[i]);
    EXPECT_EQ(Read(c.protocol, c.lines[i]), c.read[i]) << c.lines[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryProtocol, WeightLines,
    testing::Values(
        ShapeCase{ProtocolId::Liczba, {"  12.50", "  -8.50", "     OL"}, {"12.5 - --", "-8.5 - --", "text"}},
        ShapeCase{ProtocolId::Jednostka, {"+    12.50 kg", "N -     8.50 g ?", "     OL"},
                  {"12.5 kg --", "-8.5 g MN", "text"}},
        ShapeCase{ProtocolId::Si, {"S S      12.50 kg", "S D      -8.50 g", "S +"},
                  {"12.5 kg S-", "-8.5 g M-", "status 0"}},
        ShapeCase{ProtocolId::St, {"ST,GS,+00012.50 kg", "US,NT,-00008.50  g", "OL,GS,+99999.99 kg"},
                  {"12.5 kg SG", "-8.5 g MN", "status 0"}},
        // Motion leaves the unit out.
        ShapeCase{ProtocolId::EscP, {"+    12.50 kg ", "N     -     8.50    ", "        HH    "},
                  {"12.5 kg S-", "-8.5 - MN", "status 0"}},
        ShapeCase{ProtocolId::Ramka, {"       12.50 kg ", "? -     8.50 g  ", "^       0.00 kg "},
                  {"12.5 kg S-", "-8.5 g M-", "status 0"}}),
    [](const auto& info) { return std::string(ProtocolIdText(info.param.protocol)); });

// What is sent, byte by byte (a command split over reads is still one), and
// each answer: an exact reply, which the program reads as a status (text
// under jednostka, which has none), or "*", a reading.
struct TalkCase {
  ProtocolId protocol;
  std::string sent;
  std::vector<std::string> answers;
};

void PrintTo(const TalkCase& c, std::ostream* out) { *out << ProtocolIdText(c.protocol); }

class Answers : public testing::TestWithParam<TalkCase> {};

TEST_P(Answers, AreTheProtocolsOwn) {
  const TalkCase& c = GetParam();
  ScaleValues values(7);
  SimScale scale({c.protocol}, values);
  std::vector<std::string> answers;
  for (char byte : c.sent)
    for (auto& answer : scale.Receive(std::string(1, byte))) answers.push_back(answer);
  ASSERT_EQ(answers.size(), c.answers.size()) << c.sent;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    const std::string read = Read(c.protocol, answers[i]);
    if (c.answers[i] == "*") {
      EXPECT_TRUE(read != "text" && read.rfind("status", 0) != 0) << answers[i];
      continue;
    }
    EXPECT_EQ(answers[i], c.answers[i]);
    EXPECT_EQ(read.substr(0, 6), c.protocol == ProtocolId::Jednostka ? "text" : "status") << answers[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryProtocol, Answers,
    testing::Values(TalkCase{ProtocolId::Si, "SI\r\nS\r\nXY\r\nZ\r\n", {"*", "*", "ES", "Z A"}},
                    TalkCase{ProtocolId::Si, "T\r\n", {"T S      12.50 kg"}},
                    TalkCase{ProtocolId::St, "Q\r\nT\r\nSI\r\n", {"*", "\x06", "EC,E01"}},
                    // Noise and commands it does not know pass without a word.
                    TalkCase{ProtocolId::EscP, "\x1bP\r\n\x1bT\x1bX\r\nSI\r\n\x1bP", {"*", "*"}},
                    TalkCase{ProtocolId::Ramka, "SI\r\nT\r\nZ\r\nQ\r\n", {"*", "T A", "T D", "Z A", "Z D", "ES"}},
                    TalkCase{ProtocolId::Jednostka, "SI\r\nP\rIP\nT\r\n", {"*", "*", "*", "ES"}},
                    TalkCase{ProtocolId::Liczba, "\r\n\r\nanything\r\n", {"*"}}),
    [](const auto& info) { return std::string(ProtocolIdText(info.param.protocol)) + std::to_string(info.index); });

// Every second reading in motion; a tare turns the following ones to net.
TEST(Answers, MotionAndTareReachTheLines) {
  ScaleValues values(3);
  SimScale scale({ProtocolId::St, 2}, values);
  EXPECT_EQ(scale.NextLine().substr(0, 6), "ST,GS,");
  EXPECT_EQ(scale.NextLine().substr(0, 6), "US,GS,");
  scale.Tare();
  EXPECT_EQ(scale.NextLine().substr(0, 6), "ST,NT,");
  EXPECT_EQ(scale.OverloadLine().substr(0, 6), "OL,NT,");
}

TEST(Options, RefuseWhatCannotGoTogether) {
  auto parse = [](std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>("waga-sim")};
    for (auto& arg : args) argv.push_back(arg.data());
    std::string error;
    return ParseOptions(static_cast<int>(argv.size()), argv.data(), error);
  };
  for (auto wrong : std::vector<std::vector<std::string>>{{"--protocol", "xyz"}, {"--on-request", "--exit"},
                                                          {"--answers", "3"}, {"--tare", "1.255"},
                                                          {"--format", "8N3"}, {"--baud", "0", "--format", "7E1"}})
    EXPECT_FALSE(parse(wrong)) << wrong[0];
  EXPECT_EQ(parse({"--protocol", "esc_p", "--on-request", "--tare", "-1.5"})->tare, -150);
}

// Over each kind of link: quiet until asked, the answer to each request,
// the refusal of an unknown command; a scale told to stop answering stops.
class OnRequest : public testing::TestWithParam<std::string> {};

TEST_P(OnRequest, AnswersOnlyWhatItIsAsked) {
  std::vector<std::string> options{"--baud", "0", "--protocol", "si", "--on-request", "--answers", "3"};
  if (!GetParam().empty()) options.insert(options.end(), {GetParam(), "0"});
  SimPeer scale(options);
  EXPECT_EQ(scale.Quiet(300), "");
  scale.Write("SI\r\n");
  const std::string reading = scale.Lines(1);
  EXPECT_TRUE(Read(ProtocolId::Si, reading.substr(0, reading.find('\r'))).ends_with(" kg S-")) << reading;
  scale.Write("XX\r\nZ\r\nSI\r\n");
  EXPECT_EQ(scale.Lines(2), "ES\r\nZ A\r\n");
  EXPECT_EQ(scale.Quiet(300), "");
}

INSTANTIATE_TEST_SUITE_P(EveryLink, OnRequest, testing::Values("", "--tcp", "--rfc2217"),
                         [](const auto& info) { return info.param.empty() ? "pty" : info.param.substr(2); });

}  // namespace
