#include "bench/app/app_harness.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/form1.h"
#include "platform/qt_text.h"
#include "tools/waga-sim/porty_ini.h"

AppHarness::AppHarness(const HarnessSettings& settings)
    : work_(std::make_unique<QTemporaryDir>()), dir_(work_->path().toStdString()) {
  if (!work_->isValid()) throw std::runtime_error("no temporary directory");
  std::ofstream konfig(dir_ + "/konfig.ini", std::ios::binary);
  konfig << "Numer_portu=2\r\nPredkosc_transmisji=115200\r\nNazwa_firmy=<firma>\r\n"
         << "Adres_firmy=<adres>\r\nZapis_do_pliku=1\r\n"
         << "Zapisuj_display=" << (settings.writeReadings ? 1 : 0) << "\r\n"
         << "Wyswietlaj_display=" << (settings.showReadings ? 1 : 0) << "\r\n"
         << "Maksym_ilosc_lini=" << settings.maxPreviewLines << "\r\nKasuj_poczatek=1\r\n"
         << "Drukuj_naglowek_firmy=1\r\n"
         << "Dodaj_date_bilansu=" << (settings.balanceDate ? 1 : 0) << "\r\nJednostka=kg\r\n";
}

AppHarness::~AppHarness() { Stop(); }

void AppHarness::MapPort(const std::string& device) {
  std::string error;
  if (!WritePortyIni(dir_, "COM2", device, error)) throw std::runtime_error(error);
}

void AppHarness::Start() {
  TForm1Environment environment;
  environment.dialogs = &dialogs_;
  environment.freeSpace = [] { return std::int64_t{50} * 1000 * 1000 * 1000; };
  environment.instanceMarkerPath = dir_ + "/instance-marker";
  environment.workingDirectory = dir_;
  form_ = std::make_unique<TForm1>(environment);
  if (form_->TerminateRequested()) throw std::runtime_error("start-up refused");
  // Shown as the program shows it: the preview is laid out and painted.
  form_->show();
}

void AppHarness::Stop() {
  if (!form_) return;
  form_->close();
  form_.reset();
}

std::string AppHarness::DataFilePath() const {
  return dir_ + "/" + FromQString(form_->Enazwapliku()->text());
}

std::uintmax_t AppHarness::DataFileSize() const {
  std::error_code error;
  const auto size = std::filesystem::file_size(DataFilePath(), error);
  return error ? 0 : size;
}

bool AppHarness::ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  QTimer heartbeat;
  heartbeat.start(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void AppHarness::ServeFor(std::chrono::milliseconds period) {
  QEventLoop loop;
  QTimer::singleShot(period, &loop, &QEventLoop::quit);
  loop.exec();
}

PtyScale::PtyScale() {
  int slave = -1;
  char name[256] = {};
  if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
    throw std::runtime_error("openpty failed");
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  ::close(slave);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = name;
}

PtyScale::~PtyScale() { HangUp(); }

void PtyScale::HangUp() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

double ProcessCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long ProcessMemoryKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  const std::string wanted = std::string(field) + ":";
  while (status >> key) {
    if (key == wanted) {
      long value = 0;
      status >> value;
      return value;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

void UseOffscreenPlatform() { ::setenv("QT_QPA_PLATFORM", "offscreen", 0); }
