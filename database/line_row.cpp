#include "database/line_row.h"

#include <charconv>
#include <cmath>

#include "balance/balance_run.h"
#include "export/cell_values.h"
#include "text/win1250.h"

namespace {

std::optional<std::string> ClockText(std::optional<double> fraction) {
  if (!fraction) return std::nullopt;
  const int minutes = static_cast<int>(std::lround(*fraction * 24 * 60));
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 24, minutes % 60);
  return std::string(text);
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

void Field(std::string& out, const std::optional<std::string>& value) {
  out += '\t';
  if (value) {
    AppendEscaped(out, *value);
  } else {
    out += "\\N";
  }
}

template <typename Number>
void NumberField(std::string& out, std::optional<Number> value) {
  out += '\t';
  if (!value || !std::isfinite(static_cast<double>(*value))) {
    out += "\\N";
    return;
  }
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, *value);
  out.append(text, result.ptr);
}

void BoolField(std::string& out, std::optional<bool> value) {
  out += '\t';
  out += value ? (*value ? "t" : "f") : "\\N";
}

}  // namespace

LineRow MakeLineRow(std::string_view line, ProtocolId protocol, const std::optional<std::string>& fileDay) {
  LineRow row;
  row.text = Cp1250ToUtf8(line);
  row.day = fileDay;
  // The line processing's order: what the protocol reads as a reading is
  // one, whatever else it might parse as.
  const ClassifiedLine classified = ClassifyLine(protocol, line);
  if (classified.kind == LineKind::Reading) {
    const ScaleReading& r = classified.reading;
    row.kind = "odczyt";
    row.reading = r.number;
    row.readingText = Cp1250ToUtf8(r.value);
    if (!r.unit.empty()) row.unit = Cp1250ToUtf8(r.unit);
    if (r.stability != Stability::Unknown) row.stable = r.stability == Stability::Stable;
    if (r.kind != WeightKind::Unknown) row.net = r.kind == WeightKind::Net;
    return row;
  }
  BalanceRecord record;
  if (ClassifyRunLine(line, record) == RunLine::Record) {
    row.kind = "rekord bilansu";
    row.number = record.Number;
    row.mass = record.Mass;
    row.total = record.Total;
    const std::string unit = RecordUnit(line);
    if (!unit.empty()) row.unit = Cp1250ToUtf8(unit);
    // A damaged stamp leaves the file's day and no time.
    if (const auto stamp = StampDay(record.Day)) {
      row.day = IsoDay(*stamp);
      row.time = ClockText(StampTime(record.Time));
    }
  }
  return row;
}

void AppendCopyRow(std::string& out, const std::string& station, const std::string& file, int edition,
                   unsigned long long offset, const LineRow& row) {
  AppendEscaped(out, station);
  Field(out, file);
  NumberField(out, std::optional<int>(edition));
  NumberField(out, std::optional<unsigned long long>(offset));
  Field(out, row.text);
  Field(out, row.day);
  Field(out, row.time);
  Field(out, std::string(row.kind));
  NumberField(out, row.number);
  NumberField(out, row.mass);
  NumberField(out, row.total);
  Field(out, row.unit);
  NumberField(out, row.reading);
  Field(out, row.readingText);
  BoolField(out, row.stable);
  BoolField(out, row.net);
  out += '\n';
}
