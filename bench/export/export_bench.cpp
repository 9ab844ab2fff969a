// A year of a busy station's data files, exported to .xlsx and to .csv, each
// in a child process so that its peak memory is its own; and the time that
// LibreOffice (soffice --headless --convert-to xlsx) needs for the CSV of the
// same records, in the same run.
//
//   export_bench [LINES] [FOLDER]    (default 1000000 lines, a fresh folder in /tmp,
//                                     removed at the end unless FOLDER is given)

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/export/year_of_data.h"
#include "export/export_run.h"
#include "text/clock.h"

namespace fs = std::filesystem;

namespace {

struct Run {
  double seconds = 0;
  long idleKb = 0;  // resident before the export, the library loaded
  long peakKb = 0;  // the process's peak resident memory after it
  long long records = 0, balances = 0, readings = 0;
};

long StatusKb(const char* key) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = -1;
  while (status && std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, key, std::strlen(key)) == 0) kb = std::atol(line + std::strlen(key));
  }
  if (status) std::fclose(status);
  return kb;
}

// The child: one export in a fresh process, its figures on one line.
int ChildExport(const fs::path& folder, const fs::path& target) {
  const auto files = folder.empty() ? std::vector<DataFileEntry>{}
                                    : DataFilesOfDays(FirstDay(), LastDay(), folder.string());
  const long idle = StatusKb("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  const ExportSummary s = ExportDataFiles(files, target.string(), *FormatOfTarget(target.string()));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%f %ld %ld %lld %lld %lld\n", seconds, idle, StatusKb("VmHWM:"), s.counts.records,
              s.counts.balances, s.counts.readings);
  return s.error ? 1 : 0;
}

Run ExportInChild(const char* self, const fs::path& folder, const fs::path& target) {
  const std::string command = std::string(self) + " --child '" + folder.string() + "' '" + target.string() + "'";
  std::FILE* child = ::popen(command.c_str(), "r");
  Run run;
  if (!child || std::fscanf(child, "%lf %ld %ld %lld %lld %lld", &run.seconds, &run.idleKb, &run.peakKb,
                            &run.records, &run.balances, &run.readings) != 6) {
    std::fprintf(stderr, "the export of %s failed\n", target.string().c_str());
  }
  if (child) ::pclose(child);
  return run;
}

double SofficeSeconds(const fs::path& csv, const fs::path& folder) {
  const std::string command = "soffice -env:UserInstallation=file://" + (folder / "lo-profile").string() +
                              " --headless --convert-to xlsx --outdir '" + (folder / "lo").string() + "' '" +
                              csv.string() + "' >/dev/null 2>&1";
  // A first start sets the profile up; it is not what a conversion costs.
  std::system(("soffice -env:UserInstallation=file://" + (folder / "lo-profile").string() +
               " --headless --terminate_after_init >/dev/null 2>&1").c_str());
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return status == 0 && fs::exists(folder / "lo" / (csv.stem().string() + ".xlsx")) ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--child") return ChildExport(argv[2], argv[3]);
  const long long lines = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / ("waga-export-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder / "data");
  WriteYear(folder / "data", lines);
  const Run xlsx = ExportInChild(argv[0], folder / "data", folder / "rok.xlsx");
  const Run csv = ExportInChild(argv[0], folder / "data", folder / "rok.csv");
  const double soffice = SofficeSeconds(folder / "rok.csv", folder);

  std::printf("data lines: %lld in %d files; records %lld, balances %lld, readings %lld\n", lines, kDays,
              xlsx.records, xlsx.balances, xlsx.readings);
  std::printf("%-32s %8s %10s %10s %10s %10s\n", "", "seconds", "lines/s", "idle kB", "peak kB", "peak-idle");
  for (const auto& [name, run] : {std::pair{"export to .xlsx", &xlsx}, std::pair{"export to .csv", &csv}}) {
    std::printf("%-32s %8.2f %10.0f %10ld %10ld %10ld\n", name, run->seconds, lines / run->seconds,
                run->idleKb, run->peakKb, run->peakKb - run->idleKb);
  }
  if (soffice >= 0) {
    std::printf("%-32s %8.2f   (%.1f times the .xlsx export)\n", "soffice: records .csv to .xlsx",
                soffice, soffice / xlsx.seconds);
  } else {
    std::printf("soffice: not installed or the conversion failed\n");
  }
  std::printf("sizes: rok.xlsx %.1f MB, rok.csv %.1f MB\n", fs::file_size(folder / "rok.xlsx") / 1e6,
              fs::file_size(folder / "rok.csv") / 1e6);
  if (argc <= 2) fs::remove_all(folder);
  return 0;
}
