#include "acquisition/connection_supervision.h"

#include <gtest/gtest.h>

#include "acquisition/line_processing.h"
#include "acquisition/text/win1250.h"
#include "tests/acquisition/fakes.h"

namespace {

constexpr TDateTime kSecond = 1.0 / 86400;

struct Supervision : ::testing::Test {
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;
  TDateTime now = 46000.5;

  Supervision() {
    SetClock([this] { return now; });
    state.LastLineTime = now;
  }
  ~Supervision() override { SetClock({}); }
  void TickAt(double seconds, TDateTime start) {
    now = start + seconds * kSecond;
    Timer1Timer(port, screen, state);
  }
};

TEST_F(Supervision, StatusTexts) {
  EXPECT_EQ(ConnectedStatusText("COM2", br1200), "port COM2, 1200bps");
  EXPECT_EQ(NotConnectedStatusText("COM2", br1200),
            Utf8ToCp1250("brak połączenia! (port COM2, 1200bps)"));
  EXPECT_EQ(ClosingStatusText(), "zamykam port");
  EXPECT_EQ(ConnectedStatusText("COM16", br115200), "port COM16, 115200bps");
}

TEST_F(Supervision, MissingPortIsRetriedOnEveryTick) {
  port.openFails = true;
  ConnectScalePort(port, screen, state);
  EXPECT_EQ(screen.panel1, NotConnectedStatusText("COM2", br1200));
  EXPECT_EQ(screen.panel1Hint, "cannot open");
  EXPECT_EQ(state.LastPortError, "cannot open");
  const TDateTime start = now;
  for (int tick = 1; tick <= 3; ++tick) TickAt(2.0 * tick, start);
  EXPECT_EQ(port.calls, (std::vector<std::string>(4, "Open")));
  EXPECT_EQ(screen.panel1History,
            std::vector<std::string>(4, NotConnectedStatusText("COM2", br1200)));
  EXPECT_EQ(screen.display, kNoReadingMark);

  port.openFails = false;
  TickAt(8.0, start);
  EXPECT_EQ(screen.panel1, "port COM2, 1200bps");
  EXPECT_EQ(screen.panel1Hint, "");
}

TEST_F(Supervision, SilentScaleTimeline) {
  ConnectScalePort(port, screen, state);
  const TDateTime last = now;
  ProcessScaleLine("12.50", screen, state);
  port.calls.clear();
  screen.panel1History.clear();

  TickAt(2.0, last);
  EXPECT_EQ(screen.display, "12.50");
  TickAt(4.0, last);  // the mark is set; this tick still saw the reading
  EXPECT_EQ(screen.display, kNoReadingMark);
  EXPECT_TRUE(port.calls.empty());

  TickAt(6.0, last);  // the next tick cycles the port
  EXPECT_EQ(port.calls, (std::vector<std::string>{"Close", "Open"}));
  EXPECT_EQ(screen.panel1History,
            (std::vector<std::string>{"zamykam port", "port COM2, 1200bps"}));
  TickAt(8.0, last);
  EXPECT_EQ(port.calls.size(), 4u);

  now = last + 8.5 * kSecond;
  ProcessScaleLine("12.60", screen, state);
  TickAt(10.0, last);
  EXPECT_EQ(port.calls.size(), 4u);
  EXPECT_EQ(screen.display, "12.60");
}

TEST_F(Supervision, OnlyAnAgeBeyondTheLimitSetsTheMark) {
  port.connected = true;
  screen.display = "1.00";
  state.LastLineTime = 0;
  now = kStaleLineAge;
  Timer1Timer(port, screen, state);
  EXPECT_EQ(screen.display, "1.00");
  now = 2 * kStaleLineAge;
  Timer1Timer(port, screen, state);
  EXPECT_EQ(screen.display, kNoReadingMark);
}

TEST_F(Supervision, ClockSetBackDelaysTheMark) {
  port.connected = true;
  screen.display = "1.00";
  now -= 600 * kSecond;
  Timer1Timer(port, screen, state);
  EXPECT_EQ(screen.display, "1.00");
}

TEST_F(Supervision, EmptyDisplayDoesNotCycleAndFailedCloseIsIgnored) {
  port.connected = true;
  screen.display = "";
  Timer1Timer(port, screen, state);
  EXPECT_TRUE(port.calls.empty());

  screen.display = kNoReadingMark;
  port.closeFails = true;
  EXPECT_NO_THROW(Timer1Timer(port, screen, state));
  EXPECT_EQ(port.calls, std::vector<std::string>{"Close"});
  EXPECT_EQ(state.LastPortError, "cannot close");
}

}  // namespace
