#include "export/data_file_scan.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>

#include "balance/balance_run.h"
#include "export/cell_values.h"
#include "export/line_reader.h"

namespace {

class Scan {
 public:
  Scan(double day, const std::string& label, SheetWriter& out, ExportCounts& counts, ProtocolId protocol)
      : day_(day), label_(label), out_(out), counts_(counts), protocol_(protocol) {}

  void Line(const std::string& line, bool overlong) {
    if (overlong || HoldsBinary(line)) {
      ++counts_.damagedLines;
      EndRun();
      return;
    }
    // The line processing's own order: a reading of the scale's protocol,
    // whatever else it might parse as; its statuses are no rows. A bare
    // number stays a reading under any protocol (older data files).
    if (protocol_ != ProtocolId::Liczba) {
      const ClassifiedLine classified = ClassifyLine(protocol_, line);
      if (classified.kind == LineKind::Status) {
        EndRun();
        return;
      }
      if (classified.kind == LineKind::Reading && std::isfinite(classified.reading.number)) {
        EndRun();
        const ScaleReading& r = classified.reading;
        out_.AddReading({day_, r.number, std::min(r.decimals, kMaxDecimals), AsUtf8(r.unit), r.stability, label_});
        ++counts_.readings;
        return;
      }
    }
    if (const auto reading = ParseReading(line)) {
      EndRun();
      out_.AddReading({day_, reading->value, reading->decimals, {}, Stability::Unknown, label_});
      ++counts_.readings;
      return;
    }
    switch (ClassifyRunLine(line, record_)) {
      case RunLine::Record: Record(line); break;
      case RunLine::Gap: break;
      case RunLine::Other: EndRun(); break;
    }
  }

  void EndRun() {
    if (!inRun_) return;
    inRun_ = false;
    out_.AddBalance({last_.day, last_.time, last_.balance, last_.number, last_.total,
                     last_.decimals, last_.unit, label_});
    ++counts_.balances;
  }

 private:
  void Record(const std::string& line) {
    if (!inRun_) {
      inRun_ = true;
      ++balance_;
    }
    // A damaged stamp still leaves the record: it gets the file's day.
    const auto stampDay = StampDay(record_.Day);
    last_.day = stampDay.value_or(day_);
    last_.time = stampDay ? StampTime(record_.Time) : std::nullopt;
    last_.balance = balance_;
    last_.number = record_.Number;
    last_.mass = record_.Mass;
    last_.total = record_.Total;
    last_.decimals = std::min<int>(record_.Decimals, kMaxDecimals);
    last_.unit = RecordUnit(line);
    last_.file = label_;
    out_.AddRecord(last_);
    ++counts_.records;
  }

  double day_;
  const std::string& label_;
  SheetWriter& out_;
  ExportCounts& counts_;
  ProtocolId protocol_;
  BalanceRecord record_;
  RecordRow last_;
  bool inRun_ = false;
  int balance_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

ScanOutcome ScanDataFile(const std::string& path, double day, const std::string& label,
                         SheetWriter& out, ExportCounts& counts, const std::atomic<bool>* cancel,
                         ProtocolId protocol) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return errno == ENOENT ? ScanOutcome::Missing : ScanOutcome::Unreadable;
  LineReader reader(file.get());
  Scan scan(day, label, out, counts, protocol);
  std::string line;
  bool overlong = false;
  while (reader.Next(line, overlong)) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return ScanOutcome::Cancelled;
    scan.Line(line, overlong);
  }
  scan.EndRun();
  return reader.Failed() ? ScanOutcome::Unreadable : ScanOutcome::Read;
}
