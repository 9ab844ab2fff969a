// The real main window on the offscreen platform, receiving from a given
// device until SIGTERM, for the side-by-side benchmark: "Zapis do pliku",
// "Zapisuj display" and "Wyświetlaj display" on, "kasuj początek", the
// given preview limit. The data file is reachable under LINK (a symbolic
// link made once the window runs).
//
//   waga_offscreen DEVICE LINK [max-preview-lines]

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/app/app_harness.h"

namespace {
int stopPipe[2];
void OnTerm(int) {
  const char c = 0;
  if (::write(stopPipe[1], &c, 1) < 0) {
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: waga_offscreen DEVICE LINK [max-preview-lines]\n");
    return 2;
  }
  UseOffscreenPlatform();
  QApplication app(argc, argv);
  HarnessSettings settings;
  if (argc > 3) settings.maxPreviewLines = std::atoi(argv[3]);
  AppHarness harness(settings);
  harness.MapPort(argv[1]);
  harness.Start();
  std::filesystem::remove(argv[2]);
  std::filesystem::create_symlink(harness.DataFilePath(), argv[2]);

  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stopPipe) != 0) return 1;
  QSocketNotifier stop(stopPipe[0], QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &app, &QApplication::quit);
  ::signal(SIGTERM, OnTerm);
  ::signal(SIGINT, OnTerm);
  app.exec();
  harness.Stop();
  std::filesystem::remove(argv[2]);
  return 0;
}
