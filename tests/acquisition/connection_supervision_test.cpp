#include "acquisition/connection_supervision.h"

#include <gtest/gtest.h>

#include "ports/port_hint.h"
#include "acquisition/line_processing.h"
#include "text/win1250.h"
#include "tests/acquisition/fakes.h"

namespace {

using Texts = std::vector<std::string>;
constexpr TDateTime kSecond = 1.0 / 86400;

struct Supervision : ::testing::Test {
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;
  TDateTime start = 46000.5, now = start;

  Supervision() {
    SetClock([this] { return now; });
    state.LastLineTime = now;
  }
  ~Supervision() override { SetClock({}); }
  void TickAt(double seconds) {
    now = start + seconds * kSecond;
    Timer1Timer(port, screen, state);
  }
};

TEST_F(Supervision, MissingPortIsReportedAndRetriedOnEveryTick) {
  const std::string failed = Utf8ToCp1250("brak połączenia! (port COM2, 1200bps)");
  EXPECT_EQ(NotConnectedStatusText("COM2", br1200), failed);
  EXPECT_EQ(ConnectedStatusText("COM16", br115200), "port COM16, 115200bps");
  // The first line names the device the port opens, which is the platform's
  // own matter (the diagnosis tests check it).
  const std::string head = MappingLine(MappingInEffect("COM2", std::string())) + "\n";
  port.openFails = true;
  ConnectScalePort(port, screen, state);
  for (int tick = 1; tick <= 3; ++tick) TickAt(2.0 * tick);
  EXPECT_EQ(port.calls, Texts(4, "Open"));
  EXPECT_EQ(screen.panel1History, Texts(4, failed));
  EXPECT_EQ(screen.panel1Hint, head + "Błąd portu: cannot open.");
  EXPECT_EQ(screen.display, kNoReadingMark);

  port.openFails = false;
  TickAt(8.0);
  EXPECT_EQ(screen.panel1, "port COM2, 1200bps");
  // No line since the start: the tooltip says so, with the speed to check.
  EXPECT_EQ(screen.panel1Hint,
            head +
            "Port jest otwarty (1200 bps), ale waga nic nie przysłała od 8 s.\n"
            "Sprawdź, czy waga jest włączona i podłączona i czy ma ustawioną prędkość 1200 bps, "
            "tę samą co program (Ustawienia transmisji).");
  state.LastLineTime = now;
  TickAt(9.0);
  EXPECT_EQ(screen.panel1Hint, head + "Port otwarty, 1200 bps.");
}

TEST_F(Supervision, SilentScaleTimeline) {
  port.connected = true;
  ProcessScaleLine("12.50", screen, state);
  TickAt(2.0);
  EXPECT_EQ(screen.display, "12.50");
  TickAt(4.0);  // sets the mark; this tick still saw the reading
  EXPECT_EQ(screen.display, kNoReadingMark);
  EXPECT_TRUE(port.calls.empty());
  TickAt(6.0);  // the next tick cycles the port
  EXPECT_EQ(port.calls, (Texts{"Close", "Open"}));
  EXPECT_EQ(screen.panel1History, (Texts{"zamykam port", "port COM2, 1200bps"}));
  TickAt(8.0);
  EXPECT_EQ(port.calls.size(), 4u);

  now = start + 8.5 * kSecond;
  ProcessScaleLine("12.60", screen, state);
  TickAt(10.0);
  EXPECT_EQ(port.calls.size(), 4u);
  EXPECT_EQ(screen.display, "12.60");
}

TEST_F(Supervision, OnlyAnAgeBeyondTheLimitSetsTheMark) {
  port.connected = true;
  screen.display = "1.00";
  now -= 600 * kSecond;  // the clock was set back
  Timer1Timer(port, screen, state);
  state.LastLineTime = 0;
  now = kStaleLineAge;
  Timer1Timer(port, screen, state);
  EXPECT_EQ(screen.display, "1.00");
  now = 2 * kStaleLineAge;
  Timer1Timer(port, screen, state);
  EXPECT_EQ(screen.display, kNoReadingMark);
}

TEST_F(Supervision, EmptyDisplayDoesNotCycleAndAFailedCloseIsIgnored) {
  port.connected = true;
  screen.display = "";
  Timer1Timer(port, screen, state);
  EXPECT_TRUE(port.calls.empty());
  screen.display = kNoReadingMark;
  port.closeFails = true;
  EXPECT_NO_THROW(Timer1Timer(port, screen, state));
  EXPECT_EQ(port.calls, Texts{"Close"});
  EXPECT_EQ(state.LastPortError, "cannot close");
}

TEST_F(Supervision, PortLentToASearchIsLeftClosedAndReopenedWhenTakenBack) {
  port.connected = true;
  port.closeFails = true;
  EXPECT_NO_THROW(LendPortToSearch(port, screen, state));
  port.connected = false;
  for (int tick = 1; tick <= 3; ++tick) TickAt(2.0 * tick);
  EXPECT_EQ(port.calls, Texts{"Close"});
  EXPECT_EQ(screen.panel1History, Texts{"port COM2: szukam wagi"});
  TakePortBackFromSearch(port, screen, state);
  EXPECT_EQ(port.calls, (Texts{"Close", "Open"}));
  EXPECT_EQ(screen.panel1, "port COM2, 1200bps");
}

}  // namespace
