#pragma once

// Requests to a scale that sends only when asked, and the tare and zero
// commands of the keyboard (F5, F6, F7).
//
// With the port's Co_ile_ms at 50 or more the request (Zapytanie, or the
// protocol's own) goes out that often, but never while another is
// unanswered: any line that arrives answers, and a request unanswered for
// kAnswerTimeoutMs is given up, so that the next one can go. A command of the
// keyboard waits for an unanswered request the same way (one command waits
// at most; a later key replaces it). A scale that never answers costs one
// request per period and nothing else.
//
// Nothing is written inside a serial delivery: a line only marks the
// request answered, and the next Tick sends. Replies to commands go to
// status panel 2 in Polish; a write that fails goes to status panel 1, once,
// and the timed requests pause for kFailurePauseMs (or until a line comes),
// so that a port that cannot send does not hold the window at every period.

#include <optional>
#include <string>

#include "acquisition/scale_port.h"
#include "acquisition/scale_screen.h"
#include "protocols/protocol_settings.h"
#include "protocols/scale_protocol.h"
#include "text/clock.h"

class RequestCycle {
 public:
  // Below this Co_ile_ms means no timed requests.
  static constexpr int kMinIntervalMs = 50;
  // How often the main window calls Tick while the cycle has work
  // (Active()).
  static constexpr int kTickMs = 25;
  static constexpr int kAnswerTimeoutMs = 1000;
  static constexpr int kFailurePauseMs = 5000;

  // The bytes of a command under these settings; empty where there are none.
  // A request is Zapytanie where set, else the protocol's own.
  static std::string CommandBytes(const PortProtocolSettings& settings, ScaleCommand command);
  static bool TimedRequests(const PortProtocolSettings& settings) {
    return settings.intervalMs >= kMinIntervalMs;
  }

  // True while Tick has something to do: timed requests, or a command that
  // waits or is unanswered.
  bool Active(const PortProtocolSettings& settings) const;

  // The timer: sends a waiting command, else the timed request when due.
  void Tick(const PortProtocolSettings& settings, ScalePort& port, ScaleScreen& screen);

  // F5, F6, F7 and their menu items: sends now, or as soon as the request
  // under way is answered. False (and nothing sent) where the protocol has
  // no such command or the port is closed.
  bool Command(ScaleCommand command, const PortProtocolSettings& settings, ScalePort& port,
               ScaleScreen& screen);

  // A line has arrived and been processed (AcquisitionState::LineClassified).
  // Runs inside the serial delivery: marks the request answered and shows
  // the reply to a command; writes nothing. Any line answers a request; a
  // tare or a zero is answered only by a status line (a reading meanwhile
  // is a late answer to an earlier request). ESC P scales answer neither.
  void LineArrived(const ClassifiedLine& line, ScaleScreen& screen);

  // The command sent last and not yet answered or given up.
  std::optional<ScaleCommand> Unanswered() const;
  int RequestsSent() const { return requestsSent_; }

 private:
  struct Sent {
    ScaleCommand command;
    TDateTime at;
    bool manual;  // from the keyboard or the menu: its reply goes to panel 2
  };

  bool Send(ScaleCommand command, bool manual, const PortProtocolSettings& settings, ScalePort& port,
            ScaleScreen& screen, TDateTime now);
  // Forgets a command that has waited too long (or whose time ran backwards).
  void ExpireUnanswered(TDateTime now, ScaleScreen& screen);

  std::optional<Sent> unanswered_;
  std::optional<ScaleCommand> waiting_;
  std::optional<TDateTime> lastTimedRequest_;
  std::optional<TDateTime> failedAt_;
  int requestsSent_ = 0;
};

// What status panel 2 says to a status line, or to a command just sent
// (Windows-1250): "Tara: wykonano", "Waga zajęta, spróbuj ponownie", ...
std::string StatusReplyText(const ScaleStatus& status, ScaleCommand sent);
std::string CommandSentText(ScaleCommand command);
// Status panel 1 after a failed write.
std::string WriteFailedStatusText(const std::string& port, TBaudRate rate);
