// The search for the scale ("Wykryj") against waga-sim with its wire model:
// for each protocol, each of 9600 8N1, 1200 7O1, 4800 7E1 and 19200 8N1, a
// scale that sends by itself and one that answers only when asked; speeds on
// a pseudo-terminal (where Linux keeps 8N1), formats over rfc2217://. Then a
// silent port. Prints one row per search: what was found, whether it is
// right, and how long it took.
//
//   detection_bench [RUNS] [PROTOCOL]     (default 1 run of every protocol)
//
// With DETECTION_BENCH_STEPS set, each try is printed as it starts.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ports/detection_port.h"
#include "tests/support/serial/simulator_process.h"

namespace {

struct Line {
  std::uint32_t speed;
  const char* format;
  bool network;  // formats other than 8N1 only cross rfc2217://
};

struct Outcome {
  DetectionResult result;
  double seconds = 0;
};

Outcome Search(const std::string& target, const std::filesystem::path& dir) {
  const std::string map = (dir / "porty.ini").string();
  std::ofstream(map, std::ios::binary) << "COM2=" << target << "\r\n";
  std::atomic<bool> stop{false};
  ComDetectionPort port("COM2", map);
  const auto start = std::chrono::steady_clock::now();
  const bool steps = std::getenv("DETECTION_BENCH_STEPS") != nullptr;
  Outcome outcome;
  outcome.result = DetectScale(port, DetectionTiming{}, stop, [&](const DetectionStep& step) {
    if (!steps) return;
    const double at = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %6.2f s  %s\n", at, StepText(step).c_str());
  });
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
  const std::string only = argc > 2 ? argv[2] : "";
  // A folder of this run's own: two benches on one machine must not map each
  // other's port.
  std::string folder = (std::filesystem::temp_directory_path() / "waga-detection-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return 2;
  const std::filesystem::path dir = folder;
  const std::vector<Line> lines = {{9600, "8N1", false}, {1200, "7O1", true}, {4800, "7E1", true},
                                   {19200, "8N1", false}};
  std::printf("%-10s %-6s %-4s %-8s %-11s %-34s %-6s %8s\n", "protocol", "speed", "fmt", "wire",
              "scale", "found", "right", "seconds");
  int wrong = 0;
  double worstSends = 0, worstAsked = 0;
  for (int run = 0; run < runs; ++run) {
    for (const ProtocolId id : kProtocolIds) {
      const std::string protocol(ProtocolIdText(id));
      if (!only.empty() && only != protocol) continue;
      for (const Line& line : lines) {
        for (const bool asked : {false, true}) {
          std::vector<std::string> options = {"--baud", std::to_string(line.speed), "--format", line.format,
                                              "--protocol", protocol};
          if (asked) {
            options.push_back("--on-request");
          } else {
            options.insert(options.end(), {"--script", "reading:100000"});
          }
          if (line.network) options.insert(options.end(), {"--rfc2217", "0"});
          const SimulatorProcess sim(WAGA_SIM_PATH, options);
          const Outcome o = Search(sim.target, dir);
          const DetectionResult& r = o.result;
          const bool right = r.outcome == DetectionOutcome::Found && r.speed == line.speed &&
                             FormatName(r.format) == line.format && r.protocol == id;
          wrong += right ? 0 : 1;
          double& worst = asked ? worstAsked : worstSends;
          if (o.seconds > worst) worst = o.seconds;
          const std::string found =
              r.outcome == DetectionOutcome::Found
                  ? std::to_string(r.speed) + " " + FormatName(r.format) + " " +
                        std::string(ProtocolIdText(r.protocol)) + " " + std::to_string(r.confidence) + "%"
                  : r.outcome == DetectionOutcome::NotFound ? (r.heard ? "nothing; heard " + r.sample : "nothing")
                                                            : "port failed";
          std::printf("%-10s %-6u %-4s %-8s %-11s %-34s %-6s %8.1f\n", protocol.c_str(), line.speed,
                      line.format, line.network ? "rfc2217" : "pty", asked ? "when asked" : "by itself",
                      found.c_str(), right ? "yes" : "NO", o.seconds);
          std::fflush(stdout);
        }
      }
    }
  }
  const SimulatorProcess silent(WAGA_SIM_PATH, {"--baud", "9600", "--script", "silence:600000"});
  const Outcome o = Search(silent.target, dir);
  std::printf("silent port: %s after %.1f s (bound %.1f s)\n",
              o.result.outcome == DetectionOutcome::NotFound ? "given up" : "NOT given up", o.seconds,
              SilentSearchBound(DetectionTiming{}).count() / 1000.0);
  std::printf("wrong: %d; slowest found, sending by itself: %.1f s, answering when asked: %.1f s\n", wrong,
              worstSends, worstAsked);
  std::filesystem::remove_all(dir);
  return wrong == 0 ? 0 : 1;
}
