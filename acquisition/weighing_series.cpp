#include "acquisition/weighing_series.h"

#include <algorithm>
#include <cmath>

#include "balance/balance_record.h"
#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

constexpr int kMaxDecimals = 6;
// Masses beyond this many scaled units are no reading worth adding up.
constexpr double kMaxScaled = 1e15;

std::int64_t Pow10(int exponent) {
  std::int64_t value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

std::string Fixed(std::int64_t scaled, int decimals) {
  const std::int64_t unit = Pow10(decimals);
  std::string text = std::to_string(scaled / unit) + ".";
  if (decimals > 0) {
    std::string fraction = std::to_string(scaled % unit);
    text += std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return text;
}

// Digits with at most one point, as a record's masses are written.
bool ParseFixed(std::string_view text, std::int64_t& scaled, int& decimals) {
  scaled = 0;
  decimals = 0;
  bool point = false, digit = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9' && scaled < 100000000000000LL) {
      scaled = scaled * 10 + (c - '0');
      digit = true;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  return digit && decimals <= kMaxDecimals;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(' ', at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// A unit the record carries and the parser drops: no blank, nothing it keeps.
bool WritableUnit(std::string_view unit) {
  return !unit.empty() && std::none_of(unit.begin(), unit.end(), [](char c) {
    return c == ' ' || c == ',' || c == '%' || (c >= '.' && c <= ':') ||
           static_cast<unsigned char>(c) < 32;
  });
}

bool SameReading(const ScaleReading& a, const ScaleReading& b) {
  return a.value == b.value && a.unit == b.unit && a.kind == b.kind;
}

std::string Text(const std::string& utf8) { return Utf8ToCp1250(utf8); }

WeighingStep Say(const std::string& utf8) { return {{}, Text(utf8)}; }

std::string StatusRefusal(const ScaleStatus& status) {
  switch (status.kind) {
    case StatusKind::Overload: return "Przeciążenie wagi – ważenie nie zapisane.";
    case StatusKind::Underload: return "Niedociążenie wagi – ważenie nie zapisane.";
    case StatusKind::Error:
      return "Błąd wagi" + (status.code.empty() ? std::string() : " " + status.code) +
             " – ważenie nie zapisane.";
    default: return "Brak odczytu z wagi – ważenie nie zapisane.";
  }
}

}  // namespace

std::string WeighingTitle(bool net) {
  return net ? "  BILANS WAZEN netto (komputer)" : "  BILANS WAZEN (komputer)";
}

std::string WeighingHeader() { return "  l.wazen    masa    suma"; }

std::string WeighingRecordLine(int number, std::int64_t mass, std::int64_t total, int decimals,
                               const std::string& unit) {
  std::string digits = std::to_string(number);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return digits + " " + PadLeft(Fixed(mass, decimals), 9) + " " + unit + " " +
         PadLeft(Fixed(total, decimals), 9) + " " + unit;
}

void RestorePreviewLines(const std::vector<std::string>& lines, ScaleScreen& screen) {
  for (const std::string& line : lines) {
    if (screen.PreviewLineCount() >= screen.MaxPreviewLines()) {
      if (screen.RBautoucinaj()) {
        screen.DeleteFirstPreviewLines(1);
      } else {
        screen.ClearPreview();
      }
    }
    screen.AddPreviewLine(line);
  }
}

void WeighingSeries::SetAutoThreshold(double threshold) {
  if (threshold == threshold_) return;
  threshold_ = threshold;
  armed_ = false;
}

std::string WeighingSeries::UnitOf(const ScaleReading& reading) const {
  return reading.unit.empty() ? defaultUnit_ : reading.unit;
}

bool WeighingSeries::Settled(const ScaleReading& reading) const {
  if (reading.stability == Stability::Stable) return true;
  if (reading.stability == Stability::Motion || !shown_ || !SameReading(shown_->reading, reading)) {
    return false;
  }
  // A hair below the full time: clock steps of exactly the settle time count.
  return Now() - shown_->since >= kSettleTime * 0.999;
}

void WeighingSeries::Track(const std::optional<ScaleReading>& shown) {
  if (!shown) {
    shown_.reset();
  } else if (shown_ && SameReading(shown_->reading, *shown)) {
    shown_->reading = *shown;
  } else {
    shown_ = Shown{*shown, Now()};
  }
}

WeighingStep WeighingSeries::OnLine(const ClassifiedLine& line,
                                    const std::optional<ScaleReading>& shown) {
  if (line.kind == LineKind::Status) {
    status_ = line.status;
  } else {
    status_.reset();
  }
  return OnTick(shown);
}

WeighingStep WeighingSeries::OnTick(const std::optional<ScaleReading>& shown) {
  Track(shown);
  if (pending_) return Resolve(shown);
  return Automatic();
}

WeighingStep WeighingSeries::Resolve(const std::optional<ScaleReading>& shown) {
  if (!shown || !SameReading(*pending_, *shown)) {
    pending_.reset();
    return Say("Odczyt zmienił się – ważenie nie zapisane.");
  }
  if (Settled(*shown)) {
    const ScaleReading pressed = *pending_;
    pending_.reset();
    return Write(pressed);
  }
  if (Now() - pendingSince_ > kPressTimeout) {
    pending_.reset();
    return Say("Odczyt nie ustalił się – ważenie nie zapisane.");
  }
  return {};
}

WeighingStep WeighingSeries::Automatic() {
  if (threshold_ <= 0 || !shown_ || !Settled(shown_->reading)) return {};
  if (shown_->reading.number <= threshold_) {
    armed_ = true;
    return {};
  }
  if (!armed_) return {};
  armed_ = false;
  return Write(shown_->reading);
}

WeighingStep WeighingSeries::Record(const std::optional<ScaleReading>& shown) {
  pending_.reset();
  if (!shown) return Say(status_ ? StatusRefusal(*status_) : "Brak odczytu z wagi – ważenie nie zapisane.");
  Track(shown);
  if (Settled(*shown)) return Write(*shown);
  pending_ = *shown;
  pendingSince_ = Now();
  return Say("Czekam na ustalenie się odczytu…");
}

WeighingStep WeighingSeries::Write(const ScaleReading& reading) {
  const std::string unit = UnitOf(reading);
  if (!WritableUnit(unit)) return Say("Jednostki odczytu nie da się zapisać – ważenie nie zapisane.");
  if (!(reading.number > 0)) return Say("Masa zerowa lub ujemna – ważenie nie zapisane.");
  const bool net = reading.kind == WeightKind::Net;
  if (Open() && unit != unit_) {
    return {{}, Text("Odczyt w ") + unit + Text(", bilans w ") + unit_ +
                    Text(" – ważenie nie zapisane. Zakończ bilans.")};
  }
  if (Open() && net != net_) {
    return Say(net ? "Odczyt netto w bilansie brutto – ważenie nie zapisane. Zakończ bilans."
                   : "Odczyt brutto w bilansie netto – ważenie nie zapisane. Zakończ bilans.");
  }
  const int decimals = std::max(Open() ? decimals_ : 0, std::clamp(reading.decimals, 0, kMaxDecimals));
  const double scaled = std::round(reading.number * static_cast<double>(Pow10(decimals)));
  const std::int64_t total = (Open() ? total_ * Pow10(decimals - decimals_) : 0) +
                             static_cast<std::int64_t>(std::min(scaled, kMaxScaled));
  if (!(scaled < kMaxScaled) || total >= static_cast<std::int64_t>(kMaxScaled)) {
    return Say("Masa poza zakresem bilansu – ważenie nie zapisane.");
  }

  WeighingStep step;
  if (!Open()) step.lines = {WeighingTitle(net), WeighingHeader()};
  const std::int64_t mass = static_cast<std::int64_t>(scaled);
  step.lines.push_back(WeighingRecordLine(next_, mass, total, decimals, unit));
  step.status = Text("Zapisano ważenie ") + std::to_string(next_) + ": " + Fixed(mass, decimals) +
                " " + unit + Text(", razem ") + Fixed(total, decimals) + " " + unit + ".";
  ++next_;
  total_ = total;
  decimals_ = decimals;
  unit_ = unit;
  net_ = net;
  armed_ = false;
  return step;
}

WeighingStep WeighingSeries::End() {
  pending_.reset();
  if (!Open()) return Say("Bilans nie został rozpoczęty.");
  WeighingStep step{{""}, Text("Bilans zakończony: ważeń ") + std::to_string(next_ - 1) +
                              Text(", łączna masa ") + Fixed(total_, decimals_) + " " + unit_ +
                              "."};
  next_ = 1;
  total_ = 0;
  decimals_ = 0;
  unit_.clear();
  net_ = false;
  return step;
}

std::vector<std::string> WeighingSeries::Recover(std::istream& dataFile) {
  std::vector<std::string> series;  // the last own series, as far as it is open
  bool ended = false;
  int next = 1;
  std::int64_t total = 0;
  int decimals = 0;
  std::string unit;
  std::string line;
  while (std::getline(dataFile, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == WeighingTitle(false) || line == WeighingTitle(true)) {
      series = {line};
      ended = false;
      next = 1;
      total = 0;
      continue;
    }
    if (series.empty() || ended) continue;
    if (line.empty()) {
      ended = next > 1;
      continue;
    }
    if (next == 1 && line == WeighingHeader()) {
      series.push_back(line);
      continue;
    }
    // Records of this series go on from its last number; any other line
    // (readings, the scale's own reports) is not part of it.
    BalanceRecord record;
    const std::vector<std::string_view> words = Words(line);
    std::int64_t mass = 0, lineTotal = 0;
    int massDecimals = 0, totalDecimals = 0;
    if (words.size() < 5 || !ParseBalanceRecord(line, record) || record.Number != next ||
        words[2] != words[4] || (next > 1 && words[2] != unit) ||
        !ParseFixed(words[1], mass, massDecimals) || !ParseFixed(words[3], lineTotal, totalDecimals) ||
        massDecimals != totalDecimals) {
      continue;
    }
    series.push_back(line);
    ++next;
    total = lineTotal;
    decimals = totalDecimals;
    unit = std::string(words[2]);
  }
  if (series.empty() || ended || next == 1) return {};
  next_ = next;
  total_ = total;
  decimals_ = decimals;
  unit_ = unit;
  net_ = series.front() == WeighingTitle(true);
  return series;
}
