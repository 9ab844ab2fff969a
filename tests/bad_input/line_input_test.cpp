// Garbage on the line: every byte value, NUL runs, a megabyte without a
// line feed. Nothing crashes and nothing received is lost: every byte other
// than CR and LF is in a processed line (preview and data file) or still
// waits in PendingLine.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "acquisition/line_assembly.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/temp_dir.h"

namespace {

struct Received {
  std::vector<std::string> lines;  // ended by a line feed or cut at the limit
  std::string pending;
};

// What the scale's bytes should give.
Received Expected(const std::string& bytes) {
  Received r;
  for (char c : bytes) {
    if (c == '\n') {
      r.lines.push_back(r.pending);
      r.pending.clear();
    } else if (c != '\r') {
      r.pending.push_back(c);
      if (r.pending.size() == kMaxPendingLine) {
        r.lines.push_back(r.pending);
        r.pending.clear();
      }
    }
  }
  return r;
}

class LineInput : public ::testing::Test {
 protected:
  void SetUp() override {
    screen.fileName = dir.File("20261207");
    WriteFile(screen.fileName, "");
    // Readings too go to the preview and the file; no stamp, no limit hit.
    screen.ciaglymemo = screen.ciaglyplik = true;
    screen.dataBilansu = false;
    screen.maxPreviewLines = 5000;
  }

  void Deliver(const std::string& bytes, std::size_t chunk) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      port.incoming.push_back(bytes.substr(at, chunk));
      ComPortDriver_inRxChar(static_cast<int>(port.incoming.back().size()), port, screen, state);
    }
  }

  void ExpectNothingLost(const std::string& bytes) {
    const Received expected = Expected(bytes);
    EXPECT_EQ(screen.preview, expected.lines);
    EXPECT_EQ(state.PendingLine, expected.pending);
    std::string file;
    for (const auto& line : expected.lines) file += line + "\r\n";
    EXPECT_EQ(ReadFile(screen.fileName), file);
    EXPECT_TRUE(screen.zapis);
    EXPECT_FALSE(state.DataFileMessagePending);
    EXPECT_TRUE(port.incoming.empty());
  }

  TempDir dir;
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;
};

TEST_F(LineInput, EveryByteValueAndNulRunsPassUnchanged) {
  std::string bytes;
  for (int round = 0; round < 3; ++round) {
    for (int v = 0; v < 256; ++v) bytes.push_back(static_cast<char>((v * 7 + round * 85) % 256));
  }
  bytes += std::string(300, '\0') + "\n" + std::string("\0\r\0\n\n\0", 6) + " 12,50\r\n" +
           std::string(5, '\0');
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    SCOPED_TRACE(chunk);
    WriteFile(screen.fileName, "");
    screen.preview.clear();
    state = AcquisitionState();
    Deliver(bytes, chunk);
    ExpectNothingLost(bytes);
  }
}

TEST_F(LineInput, MegabyteWithoutLineFeedIsCutIntoBoundedLines) {
  std::mt19937 random(20261207);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() % 256);
    if (c == '\n') c = '\r';
  }
  Deliver(bytes, 4096);
  ExpectNothingLost(bytes);
  EXPECT_LT(state.PendingLine.size(), kMaxPendingLine);
  ASSERT_FALSE(screen.preview.empty());
  for (const auto& line : screen.preview) EXPECT_EQ(line.size(), kMaxPendingLine);

  // The line feed that finally comes ends what is left as one more line.
  Deliver("\n", 1);
  ExpectNothingLost(bytes + "\n");
  EXPECT_TRUE(state.PendingLine.empty());
}

}  // namespace
