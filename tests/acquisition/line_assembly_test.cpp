#include "acquisition/line_assembly.h"

#include <gtest/gtest.h>

#include "tests/acquisition/fakes.h"

namespace {

// Every line reaches the preview as received, nothing touches a file.
struct LineAssembly : ::testing::Test {
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;

  LineAssembly() {
    screen.ciaglymemo = true;
    screen.zapis = false;
    screen.dataBilansu = false;
  }
  void Deliver(const std::string& bytes) {
    port.incoming.push_back(bytes);
    ComPortDriver_inRxChar(static_cast<int>(bytes.size()), port, screen, state);
  }
};

TEST_F(LineAssembly, JoinsALineSplitOverEvents) {
  Deliver("  12");
  Deliver(".50\r");
  EXPECT_TRUE(screen.preview.empty());
  Deliver("\n");
  EXPECT_EQ(screen.preview, std::vector<std::string>{"  12.50"});
  EXPECT_EQ(screen.display, "12.50");
  EXPECT_TRUE(state.PendingLine.empty());
}

TEST_F(LineAssembly, LineEndsAndCarriageReturns) {
  Deliver("a\r\nb\nc\n\rd\r\r");
  EXPECT_EQ(screen.preview, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(state.PendingLine, "d");
  Deliver("e\rf\n");
  EXPECT_EQ(screen.preview.back(), "def");
}

TEST_F(LineAssembly, CarriageReturnsAloneNeverEndALine) {
  Deliver("1.00\r2.00\r3.00\r");
  EXPECT_TRUE(screen.preview.empty());
  EXPECT_EQ(state.PendingLine, "1.002.003.00");
}

TEST_F(LineAssembly, EmptyLineIsProcessedAndBlanksTheDisplay) {
  Deliver("5.00\r\n\r\n");
  EXPECT_EQ(screen.preview, (std::vector<std::string>{"5.00", ""}));
  EXPECT_EQ(screen.display, "");
}

TEST_F(LineAssembly, NulAndControlBytesBelongToTheLine) {
  Deliver(std::string("x\0\ty\n", 5));
  EXPECT_EQ(screen.preview, std::vector<std::string>{std::string("x\0\ty", 4)});
}

TEST_F(LineAssembly, NoCountNoRead) {
  ComPortDriver_inRxChar(0, port, screen, state);
  ComPortDriver_inRxChar(-3, port, screen, state);
  EXPECT_EQ(port.reads, 0);
}

TEST_F(LineAssembly, FailedReadLeavesPendingLineAndIsSilent) {
  Deliver("12");
  port.readFails = true;
  Deliver("xx\n");
  EXPECT_EQ(state.PendingLine, "12");
  EXPECT_EQ(state.LastPortError, "read failed");
  EXPECT_TRUE(screen.dialogs.shown.empty());
  port.readFails = false;
  port.incoming.clear();
  Deliver(".5\n");
  EXPECT_EQ(screen.preview, std::vector<std::string>{"12.5"});
}

TEST_F(LineAssembly, LongLineIsCutAtTheCapWithoutLosingBytes) {
  std::string stream(kMaxPendingLine + 10, 'x');
  for (std::size_t i = 0; i < stream.size(); i += 4096) Deliver(stream.substr(i, 4096));
  ASSERT_EQ(screen.preview.size(), 1u);
  EXPECT_EQ(screen.preview[0].size(), kMaxPendingLine);
  EXPECT_EQ(state.PendingLine, std::string(10, 'x'));
  Deliver("\n");
  EXPECT_EQ(screen.preview.back(), std::string(10, 'x'));
}

}  // namespace
