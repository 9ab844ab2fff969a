#include "acquisition/request_cycle.h"

#include <gtest/gtest.h>

#include "acquisition/connection_supervision.h"
#include "acquisition/line_processing.h"
#include "text/win1250.h"
#include "tests/acquisition/fakes.h"

namespace {

using Texts = std::vector<std::string>;
constexpr TDateTime kMs = 1.0 / 86400000;

ClassifiedLine Status(StatusKind kind, ScaleCommand command = ScaleCommand::None) {
  return {LineKind::Status, {}, {kind, command, {}}};
}

// The cycle on a fake clock, ticked every kTickMs as the main window does.
struct Requests : ::testing::Test {
  FakeScreen screen;
  FakePort port;
  AcquisitionState state;
  RequestCycle cycle;
  PortProtocolSettings settings{ProtocolId::Si, "", 200, 0};
  TDateTime start = 46000.5, now = start;

  Requests() {
    SetClock([this] { return now; });
    port.connected = true;
    screen.display = "12.50";
  }
  ~Requests() override { SetClock({}); }
  int ms_ = -RequestCycle::kTickMs;  // the last tick's time
  void TickUntil(int ms, int timerEveryMs = 0) {
    while (ms_ + RequestCycle::kTickMs <= ms) {
      ms_ += RequestCycle::kTickMs;
      now = start + ms_ * kMs;
      cycle.Tick(settings, port, screen);
      if (timerEveryMs && ms_ % timerEveryMs == 0) Timer1Timer(port, screen, state);
    }
  }
  void Answer(const ClassifiedLine& line = {}) { cycle.LineArrived(line, screen); }
  bool Press(ScaleCommand command) { return cycle.Command(command, settings, port, screen); }
};

}  // namespace

TEST_F(Requests, TimedRequestsKeepTheirPeriodWithNeverTwoUnanswered) {
  TickUntil(150);
  Answer();  // answered at once: the next still waits for its period
  TickUntil(1175);
  EXPECT_EQ(port.written, Texts(2, "SI\r\n"));  // at 0 and 200, the second unanswered
  TickUntil(1200);                              // given up after a second
  now += 100 * kMs;
  Answer();  // late: it answers the one under way
  TickUntil(1400);
  // A scale that never answers: one request a second and nothing else.
  TickUntil(61400);
  EXPECT_EQ(port.written.size(), 64u);
  EXPECT_TRUE(screen.panel2History.empty());

  for (auto [protocol, request, interval, sent] :
       {std::tuple{ProtocolId::Si, "", 49, ""}, {ProtocolId::St, "", 50, "Q\r\n"},
        {ProtocolId::Si, "S\r\n", 100, "S\r\n"}, {ProtocolId::Liczba, "", 100, ""}}) {
    RequestCycle fresh;
    port.written.clear();
    settings = {protocol, request, interval, 0};
    fresh.Tick(settings, port, screen);
    EXPECT_EQ(port.written, *sent ? Texts{sent} : Texts{}) << interval;
    EXPECT_EQ(fresh.Active(settings), interval >= 50);
  }
}

TEST_F(Requests, KeysSendTheCommandsAfterTheRequestUnderWayAndShowTheReplies) {
  TickUntil(0);
  EXPECT_TRUE(Press(ScaleCommand::Tare));  // waits for the request's answer
  Answer();
  TickUntil(25);
  EXPECT_EQ(port.written, (Texts{"SI\r\n", "T\r\n"}));
  EXPECT_EQ(screen.panel2, Utf8ToCp1250("Tara: wysłano"));
  Answer({LineKind::Reading, {}, {}});  // a late answer to the request, not the tare's
  EXPECT_EQ(cycle.Unanswered(), ScaleCommand::Tare);
  Answer(Status(StatusKind::Accepted));  // the result follows, with a second of its own
  EXPECT_EQ(screen.panel2, Utf8ToCp1250("Tara: przyjęto, czekam na wynik"));
  TickUntil(1000);
  EXPECT_EQ(port.written.size(), 2u);
  Answer(Status(StatusKind::Done, ScaleCommand::Tare));
  EXPECT_EQ(screen.panel2, "Tara: wykonano");

  settings.intervalMs = 0;
  EXPECT_TRUE(Press(ScaleCommand::Zero));
  Answer(Status(StatusKind::Busy));
  EXPECT_EQ(screen.panel2, Utf8ToCp1250("Waga zajęta, spróbuj ponownie"));
  EXPECT_TRUE(Press(ScaleCommand::Request));
  TickUntil(2100);
  EXPECT_EQ(screen.panel2, "Zapytanie: brak odpowiedzi wagi");
  EXPECT_EQ(port.written, (Texts{"SI\r\n", "T\r\n", "Z\r\n", "SI\r\n"}));

  for (auto [protocol, command] : {std::pair{ProtocolId::EscP, ScaleCommand::Zero},
                                   {ProtocolId::Liczba, ScaleCommand::Request}, {ProtocolId::Liczba, ScaleCommand::Tare}}) {
    settings.protocol = protocol;
    EXPECT_FALSE(Press(command));
  }
  settings.protocol = ProtocolId::Si;
  port.connected = false;
  EXPECT_FALSE(Press(ScaleCommand::Tare));
  EXPECT_EQ(port.written.size(), 4u);

  const std::pair<ScaleStatus, const char*> texts[] = {
      {{StatusKind::Done, ScaleCommand::Zero, ""}, "Zerowanie: wykonano"},
      {{StatusKind::Overload, ScaleCommand::None, ""}, "Przeciążenie"},
      {{StatusKind::Underload, ScaleCommand::None, ""}, "Niedociążenie"},
      {{StatusKind::Error, ScaleCommand::None, "ES"}, "Błąd wagi: ES"}};
  for (const auto& [status, text] : texts) EXPECT_EQ(StatusReplyText(status, ScaleCommand::Tare), Utf8ToCp1250(text));
}

TEST_F(Requests, AFailedWriteShowsInPanel1AndPausesTheTimedRequests) {
  port.writeFails = true;
  TickUntil(RequestCycle::kFailurePauseMs - 25);
  EXPECT_EQ(port.writeAttempts, 1);
  EXPECT_EQ(screen.panel1, Utf8ToCp1250("błąd wysyłania do wagi! (port COM2, 1200bps)"));
  EXPECT_EQ(screen.panel1Hint, "WriteFile function failed (win error code: 5)");
  port.writeFails = false;
  TickUntil(RequestCycle::kFailurePauseMs);
  EXPECT_EQ(port.written, Texts{"SI\r\n"});
  EXPECT_EQ(screen.panel1, "port COM2, 1200bps");
}

// The supervision as it is: a scale that stops answering is a silent one,
// and the requests go on across the reopening.
TEST_F(Requests, AScaleThatStopsAnsweringGetsTheMarkAndTheReopening) {
  for (int ms = 50; ms <= 4000; ms += 200) {
    TickUntil(ms, 2000);
    ProcessScaleLine("  12.50", screen, state);
    Answer();
  }
  const std::size_t answered = port.written.size();
  TickUntil(12000, 2000);
  EXPECT_EQ(screen.display, kNoReadingMark);
  EXPECT_EQ(port.calls, (Texts{"Close", "Open", "Close", "Open"}));
  EXPECT_EQ(port.written.size(), answered + 9);  // 4 s to 12 s: one a second, unanswered
}
