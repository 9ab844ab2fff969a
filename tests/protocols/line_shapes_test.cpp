#include "protocols/scale_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "text/number_text.h"
#include "text/umy_fun.h"

namespace {

using S = Stability;
using W = WeightKind;
using K = StatusKind;
using C = ScaleCommand;

ClassifiedLine Text() { return {}; }
// The number and the decimals as the value reads.
ClassifiedLine Reading(const std::string& value, std::string unit, S stability = S::Unknown, W kind = W::Unknown) {
  const auto point = value.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(value.size() - point - 1);
  return {LineKind::Reading, {value, std::stod(value), decimals, std::move(unit), stability, kind}, {}};
}
ClassifiedLine Status(K kind, C command = C::None, std::string code = {}) {
  return {LineKind::Status, {}, {kind, command, std::move(code)}};
}

using Case = std::pair<std::string, ClassifiedLine>;

// What no protocol reads: noise, binary bytes, an overlong line, the other
// shapes' replies (each protocol's table adds those of the others).
const std::vector<std::string> kNoise = {"",        "   ", "kg", "12.50 kg\x01", std::string("\x00\xff\x80 12 kg", 9),
                                         "I4 A \"0123456789\"", std::string(200, '1') + " kg", "12.5.0 kg"};

// The cases, then the lines this protocol reads as text, then (with `noise`)
// those that no protocol reads.
void Check(ProtocolId protocol, std::vector<Case> cases, const std::vector<std::string>& texts = {},
           bool noise = true) {
  for (const std::string& line : texts) cases.push_back({line, Text()});
  if (noise)
    for (const std::string& line : kNoise) cases.push_back({line, Text()});
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE(std::string(ProtocolIdText(protocol)) + " \"" + line + "\"");
    const ClassifiedLine got = ClassifyLine(protocol, line);
    ASSERT_EQ(got.kind, expected.kind);
    const ScaleReading &r = got.reading, &want = expected.reading;
    const ScaleStatus &status = got.status, &wanted = expected.status;
    if (got.kind == LineKind::Reading) {
      EXPECT_EQ(std::tie(r.value, r.decimals, r.unit, r.stability, r.kind),
                std::tie(want.value, want.decimals, want.unit, want.stability, want.kind));
      EXPECT_DOUBLE_EQ(r.number, want.number);
    } else if (got.kind == LineKind::Status) {
      EXPECT_EQ(std::tie(status.kind, status.command, status.code), std::tie(wanted.kind, wanted.command, wanted.code));
    }
  }
}

TEST(LineShapes, NumberIsExactlyTheReadingTest) {
  const std::vector<std::string> lines = {
      "  12.50", "12,50", "-0.5", "+ 3", "- 1 2,5", "1E5", "1,5e-3", "7E", ",", ".", "12.50 kg", "abc",
      "", " ", "1,2.3", "\t12", "12\t", "\x01\x02", std::string(300, '9'), "1E99999", "+-1", "0012.340"};
  for (const std::string& line : lines) {
    SCOPED_TRACE('"' + line + '"');
    const ClassifiedLine got = ClassifyLine(ProtocolId::Liczba, line);
    ASSERT_EQ(got.kind == LineKind::Reading, IsReading(line));
    EXPECT_NE(got.kind, LineKind::Status);
    if (got.kind == LineKind::Reading) {
      EXPECT_EQ(got.reading.value, CommaToPoint(StripSpaces(line)));
      EXPECT_TRUE(got.reading.unit.empty());
    }
  }
  Check(ProtocolId::Liczba, {{" -12,50", Reading("-12.50", "")}, {"0012.340", Reading("0012.340", "")}}, {}, false);
}

TEST(LineShapes, NumberWithUnit) {
  std::vector<Case> cases = {
      {"+   12.50 kg", Reading("+12.50", "kg")}, {"12.50kg", Reading("12.50", "kg")},
      {"G    12.50 kg", Reading("12.50", "kg", S::Unknown, W::Gross)},
      {"N: -0,200 kg", Reading("-0.200", "kg", S::Unknown, W::Net)},
      {"Gross 0012.5 lb", Reading("0012.5", "lb", S::Unknown, W::Gross)},
      {"NET 3 oz", Reading("3", "oz", S::Unknown, W::Net)}, {"       12.73 g    ?", Reading("12.73", "g", S::Motion)},
      {"?  -  1.5 t", Reading("-1.5", "t", S::Motion)}, {"  45.23", Reading("45.23", "")}};
  for (const char* unit : {"mg", "g", "kg", "t", "ct", "lb", "oz", "pcs", "PCS", "%", "N", "Kg"})
    cases.push_back({std::string("  7,5 ") + unit, Reading("7.5", unit)});
  Check(ProtocolId::Jednostka, cases,
        {"001     45.23 kg     45.23 kg", "001     45.23 kg", "12 apples", "12.50 kgs", "X 12.50 kg"});
}

TEST(LineShapes, StandardCommandSet) {
  Check(ProtocolId::Si,
        {{"S S     100.00 g", Reading("100.00", "g", S::Stable)},
         {"S D     114.87 kg", Reading("114.87", "kg", S::Motion)},
         {"S S    -0012,5 lb", Reading("-0012.5", "lb", S::Stable)},
         {"SI S       +3 pcs", Reading("+3", "pcs", S::Stable)},
         {"S S       7.25 ct", Reading("7.25", "ct", S::Stable)}, {"S S      12.0", Reading("12.0", "", S::Stable)},
         {"S I", Status(K::Busy, C::Request)}, {"S +", Status(K::Overload, C::Request)},
         {"S -", Status(K::Underload, C::Request)}, {"ES", Status(K::Error, C::None, "ES")},
         {"ET", Status(K::Error, C::None, "ET")}, {"EL", Status(K::Error, C::None, "EL")},
         {"T S     100.00 g", Status(K::Done, C::Tare, "100.00 g")}, {"T I", Status(K::Busy, C::Tare)},
         {"T +", Status(K::Overload, C::Tare)}, {"Z A", Status(K::Done, C::Zero)}, {"Z I", Status(K::Busy, C::Zero)},
         {"Z -", Status(K::Underload, C::Zero)}},
        {"S A", "S S", "S X     100.00 g", "S S    - 12.0 g", "S S     100.00 g extra"});
}

TEST(LineShapes, TwoLetterHeader) {
  Check(ProtocolId::St,
        {{"ST,GS,+0012.34kg", Reading("+0012.34", "kg", S::Stable, W::Gross)},
         {"US,NT,-  0.200kg", Reading("-0.200", "kg", S::Motion, W::Net)},
         {"ST,+001234.5  g", Reading("+001234.5", "g", S::Stable)},
         {"QT,+00012345 PC", Reading("+00012345", "PC", S::Stable)},
         {"ST,GS,    0,5,kg", Reading("0.5", "kg", S::Stable, W::Gross)},
         {"01ST,TR,+0001.00 lb", Reading("+0001.00", "lb", S::Stable)},
         {"ST,+00100.0  %", Reading("+00100.0", "%", S::Stable)}, {"ST,+00012.00", Reading("+00012.00", "", S::Stable)},
         {"OL,+9999999kg", Status(K::Overload)}, {"OL,         ", Status(K::Overload)},
         {"EC,E01", Status(K::Error, C::None, "E01")}, {"\x06", Status(K::Accepted)}},
        {"ST,GS,+0012.34kgx", "XX,+0012.34kg", "ST+0012.34kg", "ST,"});
}

TEST(LineShapes, EscP) {
  Check(ProtocolId::EscP,
        {{"+    12.50 kg ", Reading("+12.50", "kg", S::Stable)}, {"-    0.200 g  ", Reading("-0.200", "g", S::Stable)},
         {"-    0.200 g", Reading("-0.200", "g", S::Stable)}, {"    1234.5    ", Reading("1234.5", "", S::Motion)},
         {"    12,500 oz", Reading("12.500", "oz", S::Stable)}, {"+ 123.5[6] ct", Reading("+123.56", "ct", S::Stable)},
         {"N     +    12.50 kg ", Reading("+12.50", "kg", S::Stable, W::Net)},
         {"G#    -     1.00 lb", Reading("-1.00", "lb", S::Stable, W::Gross)},
         {"Qnt          125 pcs", Reading("125", "pcs", S::Stable)},
         {"T2    +    0.500", Reading("+0.500", "", S::Motion)}, {"        HH    ", Status(K::Overload)},
         {"        H", Status(K::Overload)}, {"        LL    ", Status(K::Underload)},
         {"        L     ", Status(K::Underload)}, {"        C     ", Status(K::Busy, C::None, "C")},
         {"Err 123", Status(K::Error, C::None, "Err 123")}, {"Stat  Err 002", Status(K::Error, C::None, "Err 002")}},
        {"+     12.50 kg ",  // fifteen: one blank too many
         "+    12.50  kg", "+    12.50 xyz", "      N    12.50 kg"});
}

TEST(LineShapes, Frame) {
  Check(ProtocolId::Ramka,
        {{"SI ?       18.5 kg ", Reading("18.5", "kg", S::Motion)},
         {"S    -      8.5 g  ", Reading("-8.5", "g", S::Stable)},
         {"SU      0012,50 lb", Reading("0012.50", "lb", S::Stable)},
         {"S" + std::string(11, ' ') + "125 pcs", Reading("125", "pcs", S::Stable)},
         {"? -    2.237 lb ", Reading("-2.237", "lb", S::Motion)},
         {"       10.00 oz", Reading("10.00", "oz", S::Stable)},
         {"SI ^       99.9 kg ", Status(K::Overload, C::Request)},
         {"S  v       -0.1 kg ", Status(K::Underload, C::Request)}, {"S A", Status(K::Accepted, C::Request)},
         {"S D", Status(K::Done, C::Request)}, {"S E", Status(K::Busy, C::Request, "E")},
         {"S I", Status(K::Busy, C::Request)}, {"T A", Status(K::Accepted, C::Tare)}, {"T D", Status(K::Done, C::Tare)},
         {"Z A", Status(K::Accepted, C::Zero)}, {"Z ^", Status(K::Overload, C::Zero)},
         {"Z v", Status(K::Underload, C::Zero)}, {"ES", Status(K::Error, C::None, "ES")}},
        {"S" + std::string(11, ' ') + "125  pcs",  // the unit one column late
         "SI +       18.5 kg ", "SI ?      +18.5 kg ", "X  ?       18.5 kg ", "S X"});
}

// Each protocol's own reading under every protocol: only where two shapes
// look alike by nature (a unit line of ESC P under jednostka, a bare number)
// is it read by another one.
TEST(LineShapes, AReplyOfAnotherProtocolIsText) {
  const std::pair<ProtocolId, const char*> own[] = {
      {ProtocolId::Liczba, "  12.50"},          {ProtocolId::Jednostka, "G    12.50 kg ?"},
      {ProtocolId::Si, "S S     100.00 g"},     {ProtocolId::St, "ST,GS,+0012.34kg"},
      {ProtocolId::EscP, "+    12.50 kg "},     {ProtocolId::Ramka, "SI ?       18.5 kg "}};
  for (const auto& [shape, line] : own) {
    for (ProtocolId reader : kProtocolIds) {
      const bool alike = (shape == ProtocolId::Liczba || shape == ProtocolId::EscP) && reader == ProtocolId::Jednostka;
      const LineKind expected = reader == shape || alike ? LineKind::Reading : LineKind::Text;
      EXPECT_EQ(ClassifyLine(reader, line).kind, expected) << ProtocolIdText(reader) << " \"" << line << '"';
    }
  }
}

TEST(LineShapes, IdsAndCommands) {
  for (ProtocolId id : kProtocolIds) EXPECT_EQ(ProtocolIdFromText(ProtocolIdText(id)), id);
  for (const char* bad : {"", "LICZBA", "esc-p", "si "}) EXPECT_FALSE(ProtocolIdFromText(bad)) << bad;
  // The rest of the commands reach the scale in the request cycle's tests.
  EXPECT_EQ(CommandsOf(ProtocolId::EscP).request, "\x1bP");
  EXPECT_EQ(CommandsOf(ProtocolId::St).tare, "T\r\n");
}

}  // namespace
