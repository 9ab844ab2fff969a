#include "acquisition/request_cycle.h"

#include <exception>

#include "acquisition/connection_supervision.h"
#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

constexpr TDateTime kMillisecond = 1.0 / 86400000.0;

// Date-times are days in a double: a period's end comes out a hair early or
// late, and must not cost a whole tick.
TDateTime Milliseconds(int ms) { return ms * kMillisecond - kMillisecond / 10; }

// The command's name as the replies begin with it; empty for a request.
const char* CommandName(ScaleCommand command) {
  switch (command) {
    case ScaleCommand::Tare: return "Tara";
    case ScaleCommand::Zero: return "Zerowanie";
    case ScaleCommand::Request: return "Zapytanie";
    case ScaleCommand::None: break;
  }
  return "";
}

std::string Prefixed(ScaleCommand command, const char* utf8Rest, const char* utf8Alone) {
  const std::string name = CommandName(command);
  return Utf8ToCp1250(name.empty() ? utf8Alone : name + ": " + utf8Rest);
}

}  // namespace

std::string StatusReplyText(const ScaleStatus& status, ScaleCommand sent) {
  const ScaleCommand command = status.command != ScaleCommand::None ? status.command : sent;
  switch (status.kind) {
    case StatusKind::Done: return Prefixed(command, "wykonano", "Wykonano");
    case StatusKind::Accepted: return Prefixed(command, "przyjęto, czekam na wynik", "Polecenie przyjęte");
    case StatusKind::Busy: return Utf8ToCp1250("Waga zajęta, spróbuj ponownie");
    case StatusKind::Overload: return Utf8ToCp1250("Przeciążenie");
    case StatusKind::Underload: return Utf8ToCp1250("Niedociążenie");
    case StatusKind::Error:
      break;
  }
  return Utf8ToCp1250("Błąd wagi") + (status.code.empty() ? std::string() : ": " + status.code);
}

std::string CommandSentText(ScaleCommand command) { return Prefixed(command, "wysłano", "Wysłano"); }

std::string WriteFailedStatusText(const std::string& port, TBaudRate rate) {
  return Utf8ToCp1250("błąd wysyłania do wagi! (port ") + port + ", " + BaudRateDigits(rate) + "bps)";
}

std::string RequestCycle::CommandBytes(const PortProtocolSettings& settings, ScaleCommand command) {
  const ProtocolCommands& own = CommandsOf(settings.protocol);
  switch (command) {
    case ScaleCommand::Request: return settings.request.empty() ? own.request : settings.request;
    case ScaleCommand::Tare: return own.tare;
    case ScaleCommand::Zero: return own.zero;
    case ScaleCommand::None: break;
  }
  return {};
}

bool RequestCycle::Active(const PortProtocolSettings& settings) const {
  return TimedRequests(settings) || unanswered_.has_value() || waiting_.has_value();
}

std::optional<ScaleCommand> RequestCycle::Unanswered() const {
  if (!unanswered_) return std::nullopt;
  return unanswered_->command;
}

void RequestCycle::ExpireUnanswered(TDateTime now, ScaleScreen& screen) {
  if (!unanswered_) return;
  const TDateTime age = now - unanswered_->at;
  if (age >= 0 && age < Milliseconds(kAnswerTimeoutMs)) return;
  if (unanswered_->manual) screen.SetStatusPanel2(Prefixed(unanswered_->command, "brak odpowiedzi wagi", "Brak odpowiedzi wagi"));
  unanswered_.reset();
}

bool RequestCycle::Send(ScaleCommand command, bool manual, const PortProtocolSettings& settings, ScalePort& port,
                        ScaleScreen& screen, TDateTime now) {
  try {
    port.WriteString(CommandBytes(settings, command));
  } catch (const std::exception& e) {
    failedAt_ = now;
    screen.SetStatusPanel1(WriteFailedStatusText(port.Port(), port.BaudRate()));
    screen.SetStatusPanel1Hint(Cp1250ToUtf8(e.what()));
    if (manual) screen.SetStatusPanel2(Prefixed(command, "nie wysłano", "Nie wysłano"));
    return false;
  }
  ++requestsSent_;
  // The ESC P scales carry out a tare without a word.
  if (settings.protocol != ProtocolId::EscP || command == ScaleCommand::Request) unanswered_ = Sent{command, now, manual};
  if (manual) screen.SetStatusPanel2(CommandSentText(command));
  if (failedAt_) {
    // Sending works again: panel 1 shows the port as the supervision does.
    failedAt_.reset();
    screen.SetStatusPanel1(ConnectedStatusText(port.Port(), port.BaudRate()));
  }
  return true;
}

void RequestCycle::Tick(const PortProtocolSettings& settings, ScalePort& port, ScaleScreen& screen) {
  const TDateTime now = Now();
  ExpireUnanswered(now, screen);
  if (!port.Connected()) {
    unanswered_.reset();
    return;
  }
  if (unanswered_) return;
  if (waiting_) {
    const ScaleCommand command = *waiting_;
    waiting_.reset();
    if (!CommandBytes(settings, command).empty()) Send(command, true, settings, port, screen, now);
    return;
  }
  if (!TimedRequests(settings)) return;
  if (failedAt_) {
    const TDateTime since = now - *failedAt_;
    if (since >= 0 && since < Milliseconds(kFailurePauseMs)) return;
  }
  if (lastTimedRequest_) {
    // A tick a little early still sends: the timer's own jitter must not
    // skip a whole period.
    const TDateTime since = now - *lastTimedRequest_;
    if (since >= 0 && since < Milliseconds(settings.intervalMs - kTickMs / 2)) return;
  }
  if (CommandBytes(settings, ScaleCommand::Request).empty()) return;
  lastTimedRequest_ = now;
  Send(ScaleCommand::Request, false, settings, port, screen, now);
}

bool RequestCycle::Command(ScaleCommand command, const PortProtocolSettings& settings, ScalePort& port,
                           ScaleScreen& screen) {
  if (CommandBytes(settings, command).empty() || !port.Connected()) return false;
  const TDateTime now = Now();
  ExpireUnanswered(now, screen);
  if (unanswered_) {
    waiting_ = command;
    return true;
  }
  return Send(command, true, settings, port, screen, now);
}

void RequestCycle::LineArrived(const ClassifiedLine& line, ScaleScreen& screen) {
  failedAt_.reset();
  const bool status = line.kind == LineKind::Status;
  const ScaleCommand says = status ? line.status.command : ScaleCommand::None;
  // A reply that names a tare or a zero is shown even when it comes late:
  // only the keyboard sends those.
  if (says == ScaleCommand::Tare || says == ScaleCommand::Zero) screen.SetStatusPanel2(StatusReplyText(line.status, says));
  if (!unanswered_) return;
  const Sent sent = *unanswered_;
  // A reading answers a request; a tare or zero waits for its own reply.
  if (line.kind == LineKind::Reading && sent.command != ScaleCommand::Request) return;
  if (says != ScaleCommand::None && says != sent.command) return;
  if (status && sent.manual && says == ScaleCommand::None) screen.SetStatusPanel2(StatusReplyText(line.status, sent.command));
  if (status && line.status.kind == StatusKind::Accepted) {
    unanswered_->at = Now();  // the result follows, with a time of its own
    return;
  }
  unanswered_.reset();
}
