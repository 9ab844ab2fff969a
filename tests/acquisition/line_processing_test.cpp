#include "acquisition/line_processing.h"

#include <gtest/gtest.h>

#include "text/clock.h"
#include "text/win1250.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kRecord = "001     45.23 kg     45.23 kg";

struct LineProcessing : ::testing::Test {
  FakeScreen screen;
  AcquisitionState state;
  TempDir dir;
  TDateTime now = EncodeDateTime({2026, 1, 2, 9, 5, 30, 0});

  LineProcessing() {
    screen.fileName = dir.File("20260102");
    WriteFile(screen.fileName, "");
    SetClock([this] { return now; });
  }
  ~LineProcessing() override { SetClock({}); }
  void Process(const std::string& line) { ProcessScaleLine(line, screen, state); }
  // The display, its unit and the motion mark.
  std::string Shown() const { return screen.display + "|" + screen.unit + (screen.inMotion ? "|?" : ""); }
};

TEST_F(LineProcessing, ReadingWithDefaultsOnlyReachesTheDisplay) {
  Process("  12.50");
  EXPECT_EQ(screen.display, "12.50");
  Process("  -0,5 ");
  EXPECT_EQ(screen.display, "-0.5");
  EXPECT_TRUE(screen.preview.empty());
  EXPECT_EQ(ReadFile(screen.fileName), "");
}

TEST_F(LineProcessing, BalanceReportGoesToPreviewAndFileWithSuffixOnRecordsOnly) {
  for (const char* line : {"", "  BILANS WAZEN", "  l.wazen    masa    suma"}) Process(line);
  Process(kRecord);
  EXPECT_EQ(screen.display, "");
  const std::string stamped = kRecord + "    2026/01/02  09:05";
  EXPECT_EQ(screen.preview, (Lines{"", "  BILANS WAZEN", "  l.wazen    masa    suma", stamped}));
  EXPECT_EQ(ReadFile(screen.fileName),
            "\r\n  BILANS WAZEN\r\n  l.wazen    masa    suma\r\n" + stamped + "\r\n");
  screen.dataBilansu = false;
  Process(kRecord);
  EXPECT_EQ(screen.preview.back(), kRecord);
}

TEST_F(LineProcessing, ReadingsReachPreviewAndFileOnlyByTheirSettings) {
  screen.ciaglymemo = true;
  Process("1.00");
  screen.ciaglyplik = true;
  Process("2.00");
  screen.zapis = false;
  Process("3.00");
  EXPECT_EQ(screen.preview, (Lines{"1.00", "2.00", "3.00"}));
  EXPECT_EQ(ReadFile(screen.fileName), "2.00\r\n");
}

TEST_F(LineProcessing, FullPreviewLosesItsFirstLineOrEverything) {
  screen.maxPreviewLines = 10;
  screen.ciaglymemo = true;
  for (int i = 0; i < 12; ++i) Process("line " + std::to_string(i));
  ASSERT_EQ(screen.preview.size(), 10u);
  EXPECT_EQ(screen.preview.front(), "line 2");
  screen.autoucinaj = false;
  Process("7.5");
  EXPECT_EQ(screen.preview, Lines{"7.5"});
}

TEST_F(LineProcessing, FailedAppendSwitchesWritingOffAndLeavesOneMessageForLater) {
  int notified = 0;
  state.MessagePending = [&] { ++notified; };
  screen.fileName = "/dev/full";
  Process("first");
  EXPECT_FALSE(screen.zapis);
  EXPECT_TRUE(screen.dialogs.messages.empty()) << "no box inside the serial delivery";
  now += 0.001;
  screen.zapis = true;  // switched back on before the box was shown
  Process("second");
  EXPECT_EQ(state.LastLineTime, now);
  EXPECT_EQ(screen.preview, (Lines{"first", "second"}));
  EXPECT_EQ(notified, 1);

  ShowPendingMessages(screen, state);
  ShowPendingMessages(screen, state);
  ASSERT_EQ(screen.dialogs.messages.size(), 1u);
  EXPECT_EQ(screen.dialogs.messages[0],
            (ScriptedDialogs::Message{MessageKind::Error, Utf8ToCp1250("Błąd zapisu do pliku! "
                                                                       "Prawdopodobnie brak miejsca na dysku!")}));
}

TEST_F(LineProcessing, EveryLineStampsLastLineTime) {
  for (const char* line : {"", "1.0", "abc", "\x01"}) {
    now += 0.001;
    Process(line);
    EXPECT_EQ(state.LastLineTime, now) << '"' << line << '"';
  }
}

TEST_F(LineProcessing, ProtocolReadingsShowValueUnitAndMotionAndTextBlanksThem) {
  state.Protocol.protocol = ProtocolId::Jednostka;
  std::vector<ClassifiedLine> heard;
  state.LineClassified = [&](const ClassifiedLine& line) { heard.push_back(line); };
  Process("+   12.50 kg");
  EXPECT_EQ(Shown(), "+12.50|kg");
  ASSERT_TRUE(state.ShownReading);
  EXPECT_EQ(state.ShownReading->unit, "kg");
  Process("       12.73 g    ?");
  EXPECT_EQ(Shown(), "12.73|g|?");
  EXPECT_TRUE(screen.preview.empty()) << "readings stay out of the preview by default";
  Process(kRecord);
  EXPECT_EQ(Shown(), "|");
  EXPECT_FALSE(state.ShownReading);
  EXPECT_EQ(screen.preview, Lines{kRecord + "    2026/01/02  09:05"});
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[1].reading.stability, Stability::Motion);
  EXPECT_EQ(heard[2].kind, LineKind::Text);
}

TEST_F(LineProcessing, StatusesShowAsWordsOrLeaveTheDisplayAndFollowTheReadingSwitches) {
  state.Protocol.protocol = ProtocolId::Si;
  int heard = 0;
  state.LineClassified = [&](const ClassifiedLine& line) { ++heard; EXPECT_EQ(line.kind, LineKind::Status); };
  screen.ciaglymemo = screen.ciaglyplik = true;
  const std::pair<const char*, const char*> cases[] = {
      {"S +", "Przeciążenie"}, {"S -", "Niedociążenie"}, {"EL", "Błąd wagi: EL"},
      {"Z A", "Błąd wagi: EL"},  // a reply to zero: the status bar's
      {"S I", "Błąd wagi: EL"}};
  for (const auto& [line, shown] : cases) {
    Process(line);
    EXPECT_EQ(screen.display, Utf8ToCp1250(shown)) << line;
  }
  EXPECT_FALSE(state.ShownReading);
  EXPECT_TRUE(screen.word);
  EXPECT_EQ(heard, 5);
  EXPECT_EQ(screen.preview, (Lines{"S +", "S -", "EL", "Z A", "S I"}));
  EXPECT_EQ(ReadFile(screen.fileName), "S +\r\nS -\r\nEL\r\nZ A\r\nS I\r\n");

  state.LineClassified = nullptr;
  Process("S S      5.0 kg");
  ASSERT_TRUE(state.ShownReading);
  EXPECT_FALSE(screen.word);
  ShowNoReading(screen, state);
  EXPECT_EQ(Shown(), "- - - - -|");
  EXPECT_FALSE(state.ShownReading);
}

}  // namespace
