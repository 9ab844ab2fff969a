// waga-export itself: what it prints and the exit code of each outcome.

#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/temp_dir.h"
#include "tools/waga-export/export_options.h"

namespace {

struct ToolRun {
  int status;
  std::string output;
};

ToolRun RunTool(const std::string& arguments) {
  const std::string command = std::string(WAGA_EXPORT_TOOL) + " " + arguments + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[1024];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = pipe ? ::pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(WagaExport, ExitsWithTheCodeOfItsOutcome) {
  TempDir dir;
  WriteFile(dir.File("20261207"), "001     45.23 kg     45.23 kg\r\n");
  const std::string d = "'" + dir.path.string() + "'";
  const ToolRun done = RunTool("--dir " + d + " --from 2026-12-06 --to 2026-12-07 --out " + d + "/a.csv");
  EXPECT_EQ(done.status, kExitOk) << done.output;
  EXPECT_THAT(done.output, ::testing::HasSubstr("Bilanse: 1, ważenia: 1, odczyty: 0."));
  EXPECT_THAT(done.output, ::testing::HasSubstr(dir.File("a-bilanse.csv")));
  EXPECT_EQ(RunTool("--out " + d + "/b.xlsx " + d + "/20261207").status, kExitOk);
  EXPECT_EQ(RunTool("--out " + d + "/b.xlsx " + d + "/20261208").status, kExitFailed);
  EXPECT_EQ(RunTool("--dir " + d + "/brak").status, kExitFailed);
  EXPECT_EQ(RunTool("--out " + d + "/brak/b.xlsx " + d + "/20261207").status, kExitFailed);
  EXPECT_EQ(RunTool("--out b.ods").status, kExitUsage);
  EXPECT_EQ(RunTool("--protocol ESC_P " + d + "/20261207").status, kExitUsage);
}

}  // namespace
