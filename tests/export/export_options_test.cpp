// The command line of waga-export: what each form of it asks for.

#include <gtest/gtest.h>

#include "text/clock.h"
#include "tools/waga-export/export_options.h"

namespace {

double Today() { return EncodeDateTime({.year = 2026, .month = 12, .day = 9}); }

std::optional<ExportOptions> Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "waga-export");
  return ParseExportOptions(static_cast<int>(args.size()), args.data(), Today(), error);
}

struct Accepted {
  std::vector<const char*> args;
  ExportCommand command;
  std::string from, to, out;  // yyyymmdd, or empty for none
  std::size_t files;
};

class AcceptedLine : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedLine, NamesTheDaysAndTheTarget) {
  const Accepted& want = GetParam();
  std::string error;
  const auto options = Parse(want.args, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->command, want.command);
  if (want.command != ExportCommand::Export) return;
  EXPECT_EQ(options->from ? FileDate(*options->from) : "", want.from);
  EXPECT_EQ(options->to ? FileDate(*options->to) : "", want.to);
  EXPECT_EQ(options->out, want.out);
  EXPECT_EQ(options->files.size(), want.files);
  EXPECT_EQ(options->format, *FormatOfTarget(want.out));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AcceptedLine,
    ::testing::Values(
        Accepted{{}, ExportCommand::Export, "20261209", "20261209", "wazenia-2026-12-09.xlsx", 0},
        Accepted{{"--from", "2026-12-01", "--to", "20261205", "--out", "m.CSV"}, ExportCommand::Export,
                 "20261201", "20261205", "m.CSV", 0},
        Accepted{{"--from", "2026-12-01"}, ExportCommand::Export, "20261201", "20261209",
                 "wazenia-2026-12-01-2026-12-09.xlsx", 0},
        Accepted{{"--to", "2026-12-01", "--dir", "/tmp"}, ExportCommand::Export, "20261201", "20261201",
                 "wazenia-2026-12-01.xlsx", 0},
        Accepted{{"--out", "x.xlsx", "a", "b"}, ExportCommand::Export, "", "", "x.xlsx", 2},
        Accepted{{"--dir", "/tmp", "--help"}, ExportCommand::Help, "", "", "", 0},
        Accepted{{"--version"}, ExportCommand::Version, "", "", "", 0}),
    [](const auto& info) { return std::to_string(info.index); });

class RefusedLine : public ::testing::TestWithParam<std::vector<const char*>> {};

TEST_P(RefusedLine, SaysWhatIsWrong) {
  std::string error;
  EXPECT_FALSE(Parse(GetParam(), error));
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, RefusedLine,
                         ::testing::Values(std::vector<const char*>{"--out", "x.ods"},
                                           std::vector<const char*>{"--from", "2026-13-01"},
                                           std::vector<const char*>{"--from", "2026-12-09", "--to", "2026-12-01"},
                                           std::vector<const char*>{"--from", "2026-12-01", "plik"},
                                           std::vector<const char*>{"--dir"},
                                           std::vector<const char*>{"--nie-ma"},
                                           std::vector<const char*>{"--protocol", "Si"},
                                           std::vector<const char*>{"--protocol"}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(ProtocolOption, NamesTheProtocolOrLeavesItToProtokolIni) {
  std::string error;
  EXPECT_EQ(Parse({"--protocol", "esc_p"}, error)->protocol, ProtocolId::EscP);
  EXPECT_FALSE(Parse({}, error)->protocol);
}

}  // namespace
