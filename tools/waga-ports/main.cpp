// waga-ports: which serial devices exist, which COM name opens which, who may
// and who does use them; writes porty.ini lines and listens on a port.

#include <unistd.h>

#include <cerrno>

#include <iostream>

#include "ports/port_hint.h"
#include "tools/waga-ports/detect.h"
#include "tools/waga-ports/listen.h"
#include "tools/waga-ports/ports_options.h"
#include "tools/waga-ports/ports_report.h"
#include "waga_version.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParsePortsOptions(argc, argv, error);
  if (!options) {
    std::cerr << "waga-ports: " << error << "\n(waga-ports --help)\n";
    return kExitUsage;
  }
  switch (options->command) {
    case PortsCommand::Help:
      std::cout << kPortsHelp;
      return kExitOk;
    case PortsCommand::Version:
      std::cout << "waga-ports " << kWagaVersion << "\n";
      return kExitOk;
    case PortsCommand::Map: {
      std::string output;
      const int code = MapPort(options->dir, options->port, options->path, SystemRoots{}, output);
      (code == kExitOk ? std::cout : std::cerr) << output;
      return code;
    }
    case PortsCommand::Listen:
    case PortsCommand::Detect:
      // Waga reads porty.ini and konfig.ini from its working directory.
      if (::chdir(options->dir.c_str()) != 0) {
        std::cerr << "waga-ports: " << options->dir << ": " << SystemErrorText(errno) << "\n";
        return kExitFailed;
      }
      return options->command == PortsCommand::Listen ? Listen(*options, std::cout)
                                                      : Detect(*options, std::cout);
    case PortsCommand::List:
      std::cout << DeviceReport(SystemRoots{}, CurrentUser()) << "\n"
                << MappingReport(options->dir, SystemRoots{});
      return kExitOk;
  }
  return kExitOk;
}
