// The least the program's own structure can cost per line: the serial
// component's event thread hands every delivery to the Qt event loop of the
// UI thread and waits, and the handler reads what came and appends it to the
// log, open-write-close per line as the data file is written. No window, no
// line processing, no preview: what is left is the price of the threading.
//
//   handoff_floor DEVICE LOG

#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <string>

#include "acquisition/data_file.h"
#include "bench/side_by_side/quit_on_signal.h"
#include "serial/com_errors.h"
#include "serial/com_port.h"
#include "serial/ui_handoff.h"
#include "tools/waga-sim/porty_ini.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: handoff_floor DEVICE LOG\n");
    return 2;
  }
  const std::string log = std::filesystem::absolute(argv[2]).string();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("handoff_floor." + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  std::string error;
  if (!WritePortyIni(dir.string(), "COM2", argv[1], error)) {
    std::fprintf(stderr, "handoff_floor: %s\n", error.c_str());
    return 1;
  }

  if (!CreateDataFileIfMissing(log)) {
    std::perror(log.c_str());
    return 1;
  }

  QCoreApplication app(argc, argv);
  // Served as the main window serves it: a queued call per delivery.
  QueuedUiHandoff* served = nullptr;
  QueuedUiHandoff handoff([&app, &served] {
    QMetaObject::invokeMethod(&app, [&served] { served->ServePending(); }, Qt::QueuedConnection);
  });
  served = &handoff;
  TComPort port;
  port.SetHandoff(&handoff);
  port.SetPort("COM2");
  port.SetBaudRate(br115200);
  std::string pending;
  port.OnRxChar = [&](TCustomComPort&, std::int32_t count) {
    std::string text;
    port.ReadString(text, count);
    pending += text;
    // Whole lines only, each written as the data file writes it.
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      AppendDataFileLine(log, pending.substr(start, end - start));
    }
    pending.erase(0, start);
  };
  try {
    port.Open();
  } catch (const EComPort& failure) {
    std::fprintf(stderr, "handoff_floor: %s\n", failure.what());
    std::filesystem::remove_all(dir);
    return 1;
  }

  const auto quit = QuitOnSignal(app);
  if (!quit) return 1;
  app.exec();
  port.Close();
  std::filesystem::remove_all(dir);
  return 0;
}
