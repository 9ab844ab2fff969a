// The shipping under load, against a throwaway PostgreSQL 15 with fsync on:
//
//   database_bench [load SECONDS [STATIONS [LINES_PER_S [RESTARTS]]]] [catchup LINES]
//
// load: STATIONS stations (20), each a folder with its data file written by
// the program's own writer at LINES_PER_S (50) and a shipper of its own,
// for SECONDS (300), the server restarted RESTARTS times (2: a fast stop,
// then a SIGKILL) at even spacing. Every 100 ms the read positions are read
// from the database: a station's lag is the age of its oldest line not yet
// there. Prints the lag before, around and after each restart, how long
// after the server was back every station was under 1 s again, and checks
// at the end that every line is there exactly once.
// catchup: LINES (1,000,000) lines in one data file before the shipper
// starts; lines per second until the database holds the whole file.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <libpq-fe.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/data_file.h"
#include "database/shipper.h"
#include "tests/support/postgres/temp_postgres.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::milliseconds;

const std::string kFile = "20261210";

double Seconds(Clock::duration d) { return duration<double>(d).count(); }

std::string Line(long long i) {
  if (i % 10 == 9) {
    char text[80];
    std::snprintf(text, sizeof text, "%03lld     %5.2f kg    %7.2f kg    2026/12/10  09:%02lld", i % 1000,
                  (i % 97) / 3.0, (i % 997) * 1.5, i / 60 % 60);
    return text;
  }
  return "  " + std::to_string(i % 500) + "." + std::to_string(10 + i % 90);
}

class Monitor {
 public:
  explicit Monitor(std::string connection) : connection_(std::move(connection)) {}
  ~Monitor() { PQfinish(conn_); }
  // pozycje per station; empty when the server cannot be asked.
  std::map<std::string, unsigned long long> Positions() {
    if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
      PQfinish(conn_);
      conn_ = PQconnectdb(connection_.c_str());
      if (PQstatus(conn_) != CONNECTION_OK) return {};
    }
    std::map<std::string, unsigned long long> positions;
    PGresult* r = PQexec(conn_, "SELECT stanowisko, pozycja FROM pozycje");
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
      for (int i = 0; i < PQntuples(r); ++i) positions[PQgetvalue(r, i, 0)] = std::stoull(PQgetvalue(r, i, 1));
    }
    PQclear(r);
    return positions;
  }

 private:
  std::string connection_;
  PGconn* conn_ = nullptr;
};

struct Station {
  std::string name;
  std::string folder;
  std::unique_ptr<Shipper> shipper;
  std::mutex mutex;
  std::vector<std::pair<unsigned long long, Clock::time_point>> written;  // line start offset, when
  unsigned long long end = 0;
  double maxLag = 0;

  // Age of the oldest line behind `position`.
  double Lag(unsigned long long position, Clock::time_point now) {
    const std::lock_guard lock(mutex);
    auto it = std::lower_bound(written.begin(), written.end(), std::make_pair(position, Clock::time_point{}),
                               [](const auto& a, const auto& b) { return a.first < b.first; });
    return it == written.end() ? 0.0 : Seconds(now - it->second);
  }
};

void Load(TempPostgres& server, int seconds, int stationCount, int rate, int restarts) {
  server.CreateDatabase("obciazenie");
  const std::string connection = server.Connection("obciazenie");
  const std::filesystem::path root = server.Folder() + "/stanowiska";
  std::vector<std::unique_ptr<Station>> stations;
  for (int i = 0; i < stationCount; ++i) {
    auto station = std::make_unique<Station>();
    station->name = "waga-" + std::to_string(i + 1);
    station->folder = (root / station->name).string();
    std::filesystem::create_directories(station->folder);
    CreateDataFileIfMissing(station->folder + "/" + kFile);
    ShipperOptions options;
    options.target = {connection, station->name};
    options.folder = station->folder;
    options.currentFile = kFile;
    station->shipper = std::make_unique<Shipper>(options);
    stations.push_back(std::move(station));
  }
  std::atomic<bool> writing{true};
  std::atomic<long long> failedWrites{0};
  const auto start = Clock::now();
  // One writer paces every station: a line each per period.
  std::thread writer([&] {
    const auto period = std::chrono::microseconds(1000000 / rate);
    auto next = Clock::now();
    long long i = 0;
    while (writing.load()) {
      for (auto& station : stations) {
        const std::string text = Line(i);
        const auto now = Clock::now();
        if (!AppendDataFileLine(station->folder + "/" + kFile, text)) {
          ++failedWrites;
          continue;
        }
        const std::lock_guard lock(station->mutex);
        station->written.emplace_back(station->end, now);
        station->end += text.size() + 2;
      }
      ++i;
      next += period;
      std::this_thread::sleep_until(next);
    }
  });

  struct Sample {
    double at;
    double worst;  // over stations; -1 when the server could not be asked
  };
  std::vector<Sample> samples;
  std::vector<std::pair<double, double>> restartsAt;  // stopped, back (seconds from start)
  Monitor monitor(connection);
  std::vector<double> restartTimes;
  for (int r = 1; r <= restarts; ++r) restartTimes.push_back(seconds * r / (restarts + 1.0));
  std::size_t nextRestart = 0;
  while (Seconds(Clock::now() - start) < seconds) {
    const double at = Seconds(Clock::now() - start);
    if (nextRestart < restartTimes.size() && at >= restartTimes[nextRestart]) {
      const double down = at;
      if (nextRestart % 2 == 0) {
        server.Stop();
      } else {
        server.Kill();
      }
      server.Start();
      restartsAt.emplace_back(down, Seconds(Clock::now() - start));
      ++nextRestart;
    }
    const auto positions = monitor.Positions();
    const auto now = Clock::now();
    double worst = positions.empty() ? -1 : 0;
    for (auto& station : stations) {
      const auto found = positions.find(station->name);
      const double lag = station->Lag(found == positions.end() ? 0 : found->second, now);
      if (!positions.empty()) {
        worst = std::max(worst, lag);
        station->maxLag = std::max(station->maxLag, lag);
      }
    }
    samples.push_back({Seconds(now - start), worst});
    std::this_thread::sleep_for(milliseconds(100));
  }
  writing = false;
  writer.join();
  // Everything written must arrive.
  const bool drained = WaitUntil([&] {
    const auto positions = monitor.Positions();
    for (auto& station : stations) {
      const auto found = positions.find(station->name);
      if (found == positions.end() || found->second != station->end) return false;
    }
    return true;
  }, std::chrono::seconds(120));
  for (auto& station : stations) station->shipper->Stop();

  long long lines = 0, exact = 0;
  double steadyWorst = 0;
  for (auto& station : stations) {
    const long long n = static_cast<long long>(station->written.size());
    lines += n;
    const std::string where = " FROM linie WHERE stanowisko = '" + station->name + "'";
    if (server.Query("SELECT count(*)" + where, "obciazenie") == std::to_string(n) &&
        server.Query("SELECT count(DISTINCT pozycja)" + where, "obciazenie") == std::to_string(n)) {
      ++exact;
    }
  }
  std::printf("load: %d stations x %d lines/s for %d s, %d restarts (fsync on)\n", stationCount, rate, seconds,
              restarts);
  std::printf("  lines written %lld (failed writes %lld), all shipped: %s, stations with every line exactly once: "
              "%lld of %d\n",
              lines, failedWrites.load(), drained ? "yes" : "NO", exact, stationCount);
  for (std::size_t r = 0; r < restartsAt.size(); ++r) {
    const auto [down, back] = restartsAt[r];
    double recovered = -1, peak = 0;
    for (const auto& s : samples) {
      if (s.at < back) continue;
      peak = std::max(peak, s.worst);
      if (s.worst >= 0 && s.worst < 1.0 && recovered < 0) recovered = s.at;
      if (s.worst >= 1.0) recovered = -1;
      if (s.at > back + 10) break;
    }
    std::printf("  restart %zu (%s): down at %.1f s, back after %.2f s; worst lag after it %.2f s; every station "
                "under 1 s %.2f s after the server was back\n",
                r + 1, r % 2 == 0 ? "fast stop" : "SIGKILL", down, back - down, peak,
                recovered < 0 ? -1.0 : recovered - back);
  }
  for (const auto& s : samples) {
    bool nearRestart = false;
    for (const auto& [down, back] : restartsAt) nearRestart |= s.at >= down - 0.2 && s.at <= back + 5;
    if (!nearRestart && s.worst >= 0) steadyWorst = std::max(steadyWorst, s.worst);
  }
  std::printf("  worst lag of any station away from the restarts: %.3f s\n", steadyWorst);
}

void Catchup(TempPostgres& server, long long lines) {
  server.CreateDatabase("nadrabianie");
  const std::string folder = server.Folder() + "/nadrabianie";
  std::filesystem::create_directories(folder);
  std::FILE* file = std::fopen((folder + "/" + kFile).c_str(), "wb");
  unsigned long long size = 0;
  for (long long i = 0; i < lines; ++i) {
    const std::string text = Line(i) + "\r\n";
    std::fwrite(text.data(), 1, text.size(), file);
    size += text.size();
  }
  std::fclose(file);
  Monitor monitor(server.Connection("nadrabianie"));
  ShipperOptions options;
  options.target = {server.Connection("nadrabianie"), "nadrabianie"};
  options.folder = folder;
  options.currentFile = kFile;
  const auto start = Clock::now();
  Shipper shipper(options);
  const bool done = WaitUntil([&] { return monitor.Positions()["nadrabianie"] == size; }, std::chrono::minutes(10));
  const double took = Seconds(Clock::now() - start);
  shipper.Stop();
  const std::string count = server.Query("SELECT count(*) FROM linie", "nadrabianie");
  std::printf("catchup: %lld lines (%.1f MB) in %.2f s: %.0f lines/s; rows %s%s\n", lines, size / 1e6, took,
              lines / took, count.c_str(), done ? "" : " (NOT DONE)");
}

}  // namespace

int main(int argc, char** argv) {
  TempPostgres server(true);
  if (!server.Available()) {
    std::fprintf(stderr, "database_bench: %s\n", server.Reason().c_str());
    return 77;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) args = {"load", "300", "catchup", "1000000"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto number = [&](int fallback) {
      return i + 1 < args.size() && std::isdigit(static_cast<unsigned char>(args[i + 1][0])) ? std::stoi(args[++i])
                                                                                             : fallback;
    };
    if (args[i] == "load") {
      const int seconds = number(300), stations = number(20), rate = number(50), restarts = number(2);
      Load(server, seconds, stations, rate, restarts);
    } else if (args[i] == "catchup") {
      Catchup(server, number(1000000));
    }
  }
  return 0;
}
