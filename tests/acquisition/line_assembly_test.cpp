#include "acquisition/line_assembly.h"

#include <gtest/gtest.h>

#include "tests/acquisition/fakes.h"

namespace {

// Every line reaches the preview as received; nothing touches a file.
struct LineAssembly : ::testing::Test {
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;

  LineAssembly() {
    screen.ciaglymemo = true;
    screen.zapis = screen.dataBilansu = false;
  }
  void Deliver(const std::string& bytes) {
    port.incoming.push_back(bytes);
    ComPortDriver_inRxChar(static_cast<int>(bytes.size()), port, screen, state);
  }
  using Lines = std::vector<std::string>;
};

TEST_F(LineAssembly, JoinsLinesSplitOverEventsAndDropsCarriageReturns) {
  Deliver("  12");
  Deliver(".50\r");
  EXPECT_TRUE(screen.preview.empty());
  Deliver("\n");
  EXPECT_EQ(screen.preview, Lines{"  12.50"});
  EXPECT_EQ(screen.display, "12.50");

  Deliver(std::string("a\r\nb\nc\n\rd\0\t\r\r", 13));
  EXPECT_EQ(screen.preview, (Lines{"  12.50", "a", "b", "c"}));
  Deliver("e\rf\n\n");  // CR alone ends nothing; two LFs give an empty line
  EXPECT_EQ(screen.preview, (Lines{"  12.50", "a", "b", "c", std::string("d\0\tef", 5), ""}));
  EXPECT_EQ(screen.display, "");
  EXPECT_TRUE(state.PendingLine.empty());
}

TEST_F(LineAssembly, NoCountNoReadAndAFailedReadIsSilent) {
  ComPortDriver_inRxChar(0, port, screen, state);
  EXPECT_EQ(port.reads, 0);
  Deliver("12");
  port.readFails = true;
  Deliver("xx\n");
  EXPECT_EQ(state.PendingLine, "12");
  EXPECT_EQ(state.LastPortError, "read failed");
  port.readFails = false;
  port.incoming.clear();
  Deliver(".5\n");
  EXPECT_EQ(screen.preview, Lines{"12.5"});
  EXPECT_TRUE(screen.dialogs.messages.empty());
}

TEST_F(LineAssembly, LongLineIsCutAtTheCapWithoutLosingBytes) {
  const std::string stream(kMaxPendingLine + 10, 'x');
  for (std::size_t i = 0; i < stream.size(); i += 4096) Deliver(stream.substr(i, 4096));
  ASSERT_EQ(screen.preview.size(), 1u);
  EXPECT_EQ(screen.preview[0].size(), kMaxPendingLine);
  Deliver("\n");
  EXPECT_EQ(screen.preview.back(), std::string(10, 'x'));
}

}  // namespace
