#include "acquisition/weighing_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "acquisition/line_processing.h"
#include "balance/balance_record.h"
#include "balance/printouts.h"
#include "text/win1250.h"
#include "tests/acquisition/fakes.h"
#include "tests/balance/fake_printout_host.h"

namespace {

using Lines = std::vector<std::string>;
std::string Join(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

ScaleReading R(const std::string& value, Stability stability = Stability::Unknown,
               const std::string& unit = "", WeightKind kind = WeightKind::Unknown) {
  const auto point = value.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(value.size() - point - 1);
  return {value, std::stod(value), decimals, unit, stability, kind};
}

// A clock that the test moves on, and the lines and statuses the series gave.
struct Weighings : ::testing::Test {
  TDateTime now = EncodeDateTime({2024, 1, 31, 12, 34, 0, 0});
  WeighingSeries series;
  Lines written, statuses;

  Weighings() { SetClock([this] { return now; }); }
  ~Weighings() override { SetClock({}); }

  void Take(const WeighingStep& step) {
    written.insert(written.end(), step.lines.begin(), step.lines.end());
    if (!step.status.empty()) statuses.push_back(Cp1250ToUtf8(step.status));
  }
  void Wait(double seconds) {
    now += seconds / 86400;
    Take(series.OnTick(shown));
  }
  // A line of the scale as the display then shows it, `seconds` after the last.
  void Line(const ScaleReading& reading, double seconds = 0.2) {
    now += seconds / 86400;
    shown = reading;
    Take(series.OnLine({LineKind::Reading, reading, {}}, shown));
  }
  // "Zapisz ważenie" with this reading shown.
  void Press(const ScaleReading& reading) {
    Line(reading);
    Take(series.Record(shown));
  }
  // Readings under `liczba`: the same value every 0.2 s for `seconds`.
  void Hold(const std::string& value, double seconds, Stability stability = Stability::Unknown) {
    for (double t = 0; t < seconds; t += 0.2) Line(R(value, stability));
  }
  std::optional<ScaleReading> shown;
};

// Every unit and every number of decimals reads back to the same numbers.
struct RecordReadBack : ::testing::TestWithParam<std::tuple<const char*, int>> {};

TEST_P(RecordReadBack, ParserGivesTheSameNumbers) {
  const auto [unit, decimals] = GetParam();
  const std::int64_t mass = 4523, total = 1234567;
  const std::string line = WeighingRecordLine(12, mass, total, decimals, unit);
  for (const std::string& text : {line, line + DateSuffix(EncodeDateTime({2024, 1, 31, 12, 34}))}) {
    BalanceRecord record;
    ASSERT_TRUE(ParseBalanceRecord(text, record)) << text;
    const double scale = std::pow(10.0, decimals);
    EXPECT_EQ(record.Number, 12);
    EXPECT_DOUBLE_EQ(record.Mass, static_cast<double>(mass) / scale);
    EXPECT_DOUBLE_EQ(record.Total, static_cast<double>(total) / scale);
    EXPECT_EQ(record.Decimals, decimals) << text;
    EXPECT_EQ(record.Day, text == line ? "" : "2024/01/31");
  }
}

INSTANTIATE_TEST_SUITE_P(UnitsAndDecimals, RecordReadBack,
                         ::testing::Combine(::testing::Values("kg", "g", "t", "lb", "oz", "ct"),
                                            ::testing::Values(0, 1, 2, 3, 4)));

TEST_F(Weighings, SeriesBeginsWithTitleAndHeaderAndAddsUp) {
  Press(R("45.23", Stability::Stable));
  Press(R("12.5", Stability::Stable, "kg", WeightKind::Net));
  EXPECT_EQ(written, (Lines{"  BILANS WAZEN (komputer)", "  l.wazen    masa    suma",
                            "001     45.23 kg     45.23 kg"}))
      << "a net reading does not join a gross series, and the reading's unit is the label's";
  EXPECT_EQ(statuses.at(1), "Odczyt netto w bilansie brutto – ważenie nie zapisane. Zakończ bilans.");
  Press(R("0.005", Stability::Stable, "kg"));
  EXPECT_EQ(written.back(), "002     0.005 kg    45.235 kg") << "the finer reading sets the decimals";
  Press(R("100", Stability::Stable, "g"));
  EXPECT_EQ(statuses.back(), "Odczyt w g, bilans w kg – ważenie nie zapisane. Zakończ bilans.");
  Take(series.End());
  EXPECT_EQ(written.back(), "");
  EXPECT_EQ(statuses.back(), "Bilans zakończony: ważeń 2, łączna masa 45.235 kg.");
  Press(R("1250", Stability::Stable, "g", WeightKind::Net));
  EXPECT_EQ(Lines(written.end() - 3, written.end()),
            (Lines{"  BILANS WAZEN netto (komputer)", "  l.wazen    masa    suma",
                   "001     1250. g     1250. g"}));
}

// What the key records: the reading shown at the press, or nothing.
TEST_F(Weighings, PressRecordsOnlyTheReadingShownWhenItStaysTheSame) {
  Take(series.Record(shown));
  Take(series.OnLine({LineKind::Status, {}, {StatusKind::Overload, ScaleCommand::None, ""}}, shown));
  Take(series.Record(shown));
  Line(R("-2.00"));
  Wait(1.5);
  Take(series.Record(shown));
  EXPECT_EQ(statuses, (Lines{"Brak odczytu z wagi – ważenie nie zapisane.",
                             "Przeciążenie wagi – ważenie nie zapisane.",
                             "Masa zerowa lub ujemna – ważenie nie zapisane."}));
  statuses.clear();

  Press(R("10.00"));  // not settled yet: waits
  Line(R("10.05"));            // changed before it settled: dropped
  Hold("10.05", 2);
  Press(R("20.00", Stability::Motion));
  Wait(6);  // in motion all the time: gives up
  EXPECT_TRUE(written.empty());
  EXPECT_EQ(statuses, (Lines{"Czekam na ustalenie się odczytu…", "Odczyt zmienił się – ważenie nie zapisane.",
                             "Czekam na ustalenie się odczytu…",
                             "Odczyt nie ustalił się – ważenie nie zapisane."}));

  Press(R("30.00"));
  Hold("30.00", 1.2);
  EXPECT_EQ(written.back(), "001     30.00 kg     30.00 kg");
  EXPECT_FALSE(series.Pending());
}

// Automatic recording over a threshold of 5 kg: each case is a sequence of
// readings, one every 0.2 s, and the weighings it must give.
struct AutoCase {
  const char* name;
  std::vector<std::tuple<const char*, double, Stability>> holds;  // value, seconds held
  Lines masses;
};

struct AutoRecording : Weighings, ::testing::WithParamInterface<AutoCase> {};

TEST_P(AutoRecording, OneWeighingPerLoadPutOn) {
  series.SetAutoThreshold(5);
  for (const auto& [value, seconds, stability] : GetParam().holds) Hold(value, seconds, stability);
  Lines masses;
  for (const std::string& line : written) {
    BalanceRecord record;
    if (ParseBalanceRecord(line, record)) masses.push_back(std::string(line.substr(8, 5)));
  }
  EXPECT_EQ(masses, GetParam().masses);
}

constexpr Stability U = Stability::Unknown, S = Stability::Stable, M = Stability::Motion;
INSTANTIATE_TEST_SUITE_P(
    Loads, AutoRecording,
    ::testing::Values(
        AutoCase{"OnOffOn", {{"0.00", 2, U}, {"45.23", 2, U}, {"0.00", 2, U}, {"38.90", 2, U}}, {"45.23", "38.90"}},
        AutoCase{"StaysOn", {{"0.00", 2, U}, {"45.23", 10, U}, {"45.25", 3, U}}, {"45.23"}},
        AutoCase{"LoadedAtStartIsNotCounted", {{"45.23", 3, U}, {"0.00", 2, U}, {"20.00", 2, U}}, {"20.00"}},
        AutoCase{"NeverSettles", {{"0.00", 2, U}, {"44.00", 0.6, U}, {"46.00", 0.6, U}, {"44.00", 0.6, U}}, {}},
        AutoCase{"BelowThreshold", {{"0.00", 2, U}, {"4.90", 3, U}, {"0.00", 2, U}}, {}},
        AutoCase{"BriefDipDoesNotRearm", {{"0.00", 2, U}, {"45.23", 2, U}, {"3.00", 0.4, U}, {"45.23", 2, U}}, {"45.23"}},
        AutoCase{"MotionNeverStableAtOnce", {{"0.00", 0.2, S}, {"45.23", 4, M}, {"45.23", 0.4, S}}, {"45.23"}}),
    [](const auto& info) { return info.param.name; });

// The lines through line processing into preview and data file, printed by
// both balance printouts, against the same series as a scale sends it.
TEST_F(Weighings, PrintoutsOfARecordedSeriesMatchTheScalesOwn) {
  FakeScreen screen;
  AcquisitionState state;
  screen.zapis = false;
  for (int n = 0; n < 3; ++n) Press(R("10.25", Stability::Stable));
  for (const std::string& line : written) ProcessScaleLine(line, screen, state);
  for (void (*print)(PrintoutHost&) : {&BBdrukuj_bilansClick, &BBdrukuj_szczbilansClick}) {
    FakePrintoutHost ours, scales;
    ours.preview = screen.preview;
    scales.preview = BalanceReport(3);
    print(ours);
    print(scales);
    EXPECT_GT(ours.Recording.Lines.size(), 12u);
    EXPECT_EQ(ours.Recording.MarkedTexts(), scales.Recording.MarkedTexts());
    EXPECT_EQ(ours.Boxes.messages, scales.Boxes.messages);
  }

  // A restart goes on with the series, its total and its decimals.
  WeighingSeries restarted;
  std::istringstream file(Join(screen.preview));
  EXPECT_EQ(restarted.Recover(file), screen.preview);
  EXPECT_EQ(restarted.Record(R("1.5", Stability::Stable)).lines, Lines{"004      1.50 kg     32.25 kg"});
}

TEST(WeighingRecovery, OnlyAnOpenSeriesOfOwnRecordsGoesOn) {
  const std::string title = "  BILANS WAZEN (komputer)", header = "  l.wazen    masa    suma";
  const std::string r1 = "001     45.23 kg     45.23 kg    2024/01/31  12:34";
  const std::string r2 = "002     10.00 kg     55.23 kg";
  const std::pair<Lines, int> cases[] = {
      {{title, header, r1, "12.50", r2}, 3},
      {{title, header, r1, r2, ""}, 1},                         // ended
      {{"", "  BILANS WAZEN", header, r1}, 1},                  // the scale's own
      {{title, header, r1, "003     1.00 kg     56.23 kg"}, 2},  // not the next number
      {{title, header, r1, title}, 1},
      {{}, 1},
  };
  for (const auto& [lines, next] : cases) {
    WeighingSeries series;
    std::istringstream file(Join(lines));
    const Lines restored = series.Recover(file);
    EXPECT_EQ(series.NextNumber(), next) << Join(lines);
    EXPECT_EQ(restored.size(), next == 1 ? 0u : static_cast<std::size_t>(next + 1)) << Join(lines);
  }
}

}  // namespace
