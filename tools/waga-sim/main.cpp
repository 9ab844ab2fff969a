// waga-sim: a weighing scale on a pseudo-terminal, a serial device or a TCP port.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/waga-sim/porty_ini.h"
#include "tools/waga-sim/scale_output.h"
#include "tools/waga-sim/sim_scale.h"
#include "tools/waga-sim/sim_link.h"
#include "tools/waga-sim/sim_options.h"
#include "tools/waga-sim/tcp_link.h"
#include "tools/waga-sim/tty_link.h"
#include "waga_version.h"

namespace {

std::string Lines(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + lineEnd;
  return bytes;
}

// False once a stop was requested or the line failed.
bool RunStep(const Step& step, const SimOptions& options, SimLink& link, ScaleValues& values,
             SimScale& scale, std::string& lineEnd) {
  switch (step.kind) {
    case StepKind::Readings:
    case StepKind::Overload:
      for (int i = 0; i < step.count; ++i) {
        const std::string line = step.kind == StepKind::Readings ? scale.NextLine() : scale.OverloadLine();
        if (!link.Send(line + lineEnd)) return false;
        if (!link.Pause(options.intervalMs)) return false;
      }
      return true;
    case StepKind::Burst: {
      std::vector<std::string> lines;
      for (int i = 0; i < step.count; ++i) lines.push_back(scale.NextLine());
      return link.Send(Lines(lines, lineEnd));
    }
    case StepKind::Tare:
      scale.Tare();
      return true;
    case StepKind::Balance: {
      std::vector<std::int64_t> masses;
      for (int i = 0; i < step.count; ++i) masses.push_back(values.NextWeighing());
      return link.Send(Lines(BalanceReport(masses), lineEnd));
    }
    case StepKind::Silence:
      return link.Pause(step.count);
    case StepKind::Garbage:
      return link.Send(values.Garbage(step.count) + lineEnd);
    case StepKind::Text:
      return link.Send(step.text + lineEnd);
    case StepKind::LineEnd:
      lineEnd = step.text;
      return true;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseOptions(argc, argv, error);
  if (!options) {
    std::cerr << "waga-sim: " << error << "\n(see waga-sim --help)\n";
    return 2;
  }
  if (options->help) {
    std::cout << UsageText();
    return 0;
  }
  if (options->version) {
    std::cout << "waga-sim " << kWagaVersion << "\n";
    return 0;
  }

  InstallStopSignals();
  auto link = options->tcpPort ? OpenTcpLink(options->listenAddress, *options->tcpPort,
                                              options->comPortControl, options->baud, error)
                               : OpenTtyLink(options->device, options->baud, error);
  const auto wire = ParseLineFormat(options->format, static_cast<std::uint32_t>(options->baud));
  if (!link || (!options->logFile.empty() && !link->SetLog(options->logFile, error)) ||
      (wire && !link->SetWire(*wire, error)) ||
      (!options->portyIniDir.empty() &&
       !WritePortyIni(options->portyIniDir, options->comName, link->Path(), error))) {
    std::cerr << "waga-sim: " << error << '\n';
    return 1;
  }
  std::cout << link->Path() << std::endl;

  ScaleValues values(options->seed);
  ScaleBehaviour behaviour;
  behaviour.protocol = options->protocol;
  behaviour.motionEvery = options->motionEvery;
  behaviour.overload = options->overload;
  behaviour.tare = options->tare;
  SimScale scale(behaviour, values);
  if (options->onRequest) {
    link->KeepInput();
    bool running = true;
    for (int left = options->answers; running && (running = link->WaitForInput());) {
      for (const std::string& answer : scale.Receive(link->TakeInput())) {
        if (left == 0) break;  // a scale that stopped answering
        if (left > 0) --left;
        running = link->Pause(options->answerDelayMs) && link->Send(answer + options->lineEnd);
        if (!running) break;
      }
    }
    return StopRequested() ? 0 : 1;
  }

  bool running = link->WaitForPeer();
  for (int round = 0; running && (options->repeat == 0 || round < options->repeat); ++round) {
    std::string lineEnd = options->lineEnd;  // every round starts alike
    for (const Step& step : options->script)
      if (!(running = RunStep(step, *options, *link, values, scale, lineEnd))) break;
  }

  if (running) {
    if (options->exitWhenDone)
      link->WaitDrained();
    else
      link->WaitForStop();
  }
  return StopRequested() || running ? 0 : 1;
}
