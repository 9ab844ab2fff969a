// Classifying the lines a scale sends, under each protocol, beside the
// reading test of the bare number over the same lines: nanoseconds per line.
//
//   protocols_bench [ROUNDS]    (default 200000 rounds over each protocol's lines)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "protocols/scale_protocol.h"
#include "text/number_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each protocol's own lines (readings, a status, a balance record as text).
std::vector<std::string> LinesOf(ProtocolId id) {
  const std::string record = "001     45.23 kg     45.23 kg    2026/12/08  23:59";
  switch (id) {
    case ProtocolId::Liczba: return {"  12.50", "   -0.25", "1234.5", record};
    case ProtocolId::Jednostka: return {"+   12.50 kg", "12.50kg", "G    12.50 kg", "       12.73 g    ?", record};
    case ProtocolId::Si: return {"S S     100.00 g", "S D     114.87 kg", "S I", "ES", record};
    case ProtocolId::St: return {"ST,GS,+0012.34kg", "US,NT,-  0.200kg", "QT,+00012345 PC", "OL,+9999999kg", record};
    case ProtocolId::EscP: return {"+    12.50 kg ", "N     +    12.50 kg ", "    1234.5    ", "        HH    ", record};
    case ProtocolId::Ramka: return {"SI ?       18.5 kg ", "S    -      8.5 g  ", "S A", "? -    2.237 lb ", record};
  }
  return {};
}

template <typename F>
double NanosPerLine(const std::vector<std::string>& lines, long rounds, F classify) {
  long sink = 0;
  const auto start = Clock::now();
  for (long r = 0; r < rounds; ++r) {
    for (const std::string& line : lines) sink += classify(line);
  }
  const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
  if (sink == -1) std::puts("");  // keeps the work
  return ns / static_cast<double>(rounds * static_cast<long>(lines.size()));
}

}  // namespace

int main(int argc, char** argv) {
  const long rounds = argc > 1 ? std::atol(argv[1]) : 200000;
  std::printf("%-10s %14s %16s %10s\n", "protocol", "ClassifyLine", "reading test", "more");
  for (ProtocolId id : kProtocolIds) {
    const std::vector<std::string> lines = LinesOf(id);
    // Warm up both, then measure.
    NanosPerLine(lines, rounds / 10 + 1, [id](const std::string& l) { return static_cast<int>(ClassifyLine(id, l).kind); });
    const double classify =
        NanosPerLine(lines, rounds, [id](const std::string& l) { return static_cast<int>(ClassifyLine(id, l).kind); });
    const double reading = NanosPerLine(lines, rounds, [](const std::string& l) { return IsReading(l) ? 1 : 0; });
    std::printf("%-10s %11.1f ns %13.1f ns %7.1f ns\n", std::string(ProtocolIdText(id)).c_str(), classify, reading,
                classify - reading);
  }
  return 0;
}
