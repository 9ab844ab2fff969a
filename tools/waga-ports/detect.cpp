#include "tools/waga-ports/detect.h"

#include "config/konfig/konfig.h"
#include "platform/instance_marker.h"
#include "ports/detection_port.h"
#include "protocols/protocol_settings.h"
#include "serial/posix/porty_ini.h"

namespace {

std::string InDir(const std::string& dir, const std::string& name) {
  return dir.empty() || dir == "." ? name : dir + "/" + name;
}

}  // namespace

bool ApplyDetection(const std::string& dir, const std::string& port, const DetectionResult& found,
                    bool programRuns, std::ostream& out) {
  bool ok = true;
  const std::string portMap = InDir(dir, kPortMapFileName);
  std::string format;
  if (int error = WriteDetectedFormat(portMap, port, found.format, format)) {
    out << "Nie można zapisać " << portMap << " (" << SystemErrorText(error) << ").\n";
    ok = false;
  } else {
    out << "Zapisano w " << portMap << ": format linii " << format << " dla " << port << ".\n";
  }

  const std::string protocolFile = InDir(dir, kProtocolFileName);
  PortProtocolSettings settings = LoadPortProtocol(protocolFile, port);
  settings.protocol = found.protocol;
  settings.request = CommandsOf(found.protocol).request;
  std::string reason;
  if (!SavePortProtocol(protocolFile, port, settings, reason)) {
    out << "Nie można zapisać " << protocolFile << ": " << reason << "\n";
    ok = false;
  } else {
    out << "Zapisano w " << protocolFile << ": protokół " << ProtocolIdText(found.protocol) << " dla "
        << port << ".\n";
  }

  const std::string speed = std::to_string(found.speed);
  if (programRuns) {
    out << "Waga jest uruchomiona i przy zamknięciu zapisze konfig.ini sama: prędkość " << speed
        << " bps ustaw w jej oknie \"Parametry transmisji...\".\n";
    return ok;
  }
  const std::string konfig = InDir(dir, kKonfigFileName);
  try {
    KonfigSettings k;
    LoadKonfig(k, konfig);
    for (const BaudRateFacts& facts : kBaudRates) {
      if (IsOfferedRate(facts.rate) && facts.bitsPerSecond == found.speed) k.BaudRate = facts.rate;
    }
    SaveKonfig(k, konfig);
    out << "Zapisano w " << konfig << ": Predkosc_transmisji=" << speed << ".\n";
  } catch (const std::exception& e) {
    out << "Nie można zapisać " << konfig << ": " << e.what() << "\n";
    ok = false;
  }
  return ok;
}

int Detect(const PortsOptions& options, std::ostream& out) {
  const DetectionTiming timing;
  out << MappingLine(MappingInEffect(options.port, std::string())) << "\n"
      << "Szukam wagi; gdy port milczy, najdłużej " << (SilentSearchBound(timing).count() + 999) / 1000
      << " s.\n" << std::flush;
  std::atomic<bool> stop{false};
  DetectionResult result;
  {
    ComDetectionPort port(options.port, kPortMapFileName);
    result = DetectScale(port, timing, stop, [&](const DetectionStep& step) {
      out << StepText(step) << "\n" << std::flush;
    });
  }
  if (result.outcome == DetectionOutcome::PortFailed) {
    out << DetectionFailureText(options.port, result) << "\n";
    return kExitFailed;
  }
  out << DetectionText(result) << "\n";
  if (result.outcome != DetectionOutcome::Found) return kExitFailed;
  if (!options.apply) return kExitOk;
  // Held while konfig.ini is written, so that Waga does not start meanwhile.
  InstanceMarker marker;
  const bool programRuns = !marker.Claim(DefaultInstanceMarkerPath());
  return ApplyDetection(".", options.port, result, programRuns, out) ? kExitOk : kExitFailed;
}
