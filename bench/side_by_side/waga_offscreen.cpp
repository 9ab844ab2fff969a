// The real main window on the offscreen platform, receiving from a given
// device until SIGTERM, for the side-by-side benchmark: "Zapis do pliku",
// "Zapisuj display" and "Wyświetlaj display" on, "kasuj początek", the
// given preview limit. The data file is reachable under LINK (a symbolic
// link made once the window runs). With WAGA_BAZA set (a libpq connection
// string) the window also ships its lines to that database (baza.ini).
//
//   waga_offscreen DEVICE LINK [max-preview-lines]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/waga_application.h"
#include "bench/app/app_harness.h"
#include "bench/side_by_side/quit_on_signal.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: waga_offscreen DEVICE LINK [max-preview-lines]\n");
    return 2;
  }
  UseOffscreenPlatform();
  WagaApplication app(argc, argv);  // the program's own style and fonts
  HarnessSettings settings;
  if (argc > 3) settings.maxPreviewLines = std::atoi(argv[3]);
  AppHarness harness(settings);
  harness.MapPort(argv[1]);
  if (const char* database = std::getenv("WAGA_BAZA")) {
    std::FILE* ini = std::fopen((harness.Dir() + "/baza.ini").c_str(), "wb");
    if (ini == nullptr) return 1;
    std::fprintf(ini, "Polaczenie=%s\r\nStanowisko=side-by-side-%d\r\n", database, static_cast<int>(getpid()));
    std::fclose(ini);
  }
  harness.Start();
  std::filesystem::remove(argv[2]);
  std::filesystem::create_symlink(harness.DataFilePath(), argv[2]);

  const auto quit = QuitOnSignal(app);
  if (!quit) return 1;
  app.exec();
  harness.Stop();
  std::filesystem::remove(argv[2]);
  return 0;
}
