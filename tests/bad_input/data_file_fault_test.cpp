// The data file becomes unwritable while lines keep coming: one message,
// writing switched off, the preview keeps every line, the file keeps every
// line written before.

#include <gtest/gtest.h>

#include <filesystem>

#include "acquisition/line_assembly.h"
#include "acquisition/line_processing.h"
#include "text/win1250.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(DataFileFault, UnwritableMidRunGivesOneMessageAndKeepsThePreview) {
  TempDir dir;
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;
  int pendingCalls = 0;
  state.MessagePending = [&] { ++pendingCalls; };
  screen.fileName = dir.File("20261207");
  WriteFile(screen.fileName, "");
  screen.ciaglyplik = screen.ciaglymemo = true;

  const auto deliver = [&](const std::string& bytes) {
    port.incoming.push_back(bytes);
    ComPortDriver_inRxChar(static_cast<int>(bytes.size()), port, screen, state);
  };
  deliver("BILANS\r\n 12.50\r\n");

  // The file is moved away and a folder takes its name: not writable even
  // for root.
  const std::string moved = dir.File("moved");
  std::filesystem::rename(screen.fileName, moved);
  std::filesystem::create_directory(screen.fileName);

  deliver(" 12.60\r\nSUMA\r\n 12.70\r\n");
  EXPECT_FALSE(screen.zapis);
  EXPECT_TRUE(screen.dialogs.messages.empty()) << "nothing modal inside a delivery";
  EXPECT_EQ(pendingCalls, 1);
  ShowPendingMessages(screen, state);
  ASSERT_EQ(screen.dialogs.messages.size(), 1u);
  EXPECT_EQ(screen.dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(screen.dialogs.messages[0].text,
            Utf8ToCp1250("Błąd zapisu do pliku! Prawdopodobnie brak miejsca na dysku!"));

  deliver("KONIEC\n");
  ShowPendingMessages(screen, state);
  EXPECT_EQ(screen.dialogs.messages.size(), 1u);
  EXPECT_EQ(pendingCalls, 1);
  EXPECT_EQ(screen.preview,
            (std::vector<std::string>{"BILANS", " 12.50", " 12.60", "SUMA", " 12.70", "KONIEC"}));
  EXPECT_EQ(ReadFile(moved), "BILANS\r\n 12.50\r\n");

  // Once the file is back and the user switches writing on, lines are written again.
  std::filesystem::remove(screen.fileName);
  std::filesystem::rename(moved, screen.fileName);
  screen.zapis = true;
  deliver("NOWY\r\n");
  EXPECT_EQ(ReadFile(screen.fileName), "BILANS\r\n 12.50\r\nNOWY\r\n");
  EXPECT_EQ(screen.dialogs.messages.size(), 1u);
}

}  // namespace
