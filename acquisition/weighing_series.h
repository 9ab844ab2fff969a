#pragma once

// Weighings recorded at the computer: a series of balance records written
// in the shape a scale's own balance report has, so that the balance
// printouts and the export read them as they read the scale's.
//
// The series hands back the lines to write; the caller puts each through
// line processing as if the scale had sent it (preview, data file, the
// balance stamp) - never from inside a serial delivery. Statuses are short
// Polish texts (Windows-1250) for the status bar.
//
// A series begins with its title and column header, then one record per
// weighing: "001     45.23 kg     45.23 kg". Ending it writes an empty line,
// which both balance printouts pass over, so the ended series can still be
// printed; the next weighing starts again at 001 under a new title. At
// start-up the series is read back from the data file of the day: an open
// series (its title, records, no empty line after the last record) goes on.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/scale_screen.h"
#include "protocols/scale_protocol.h"
#include "text/clock.h"

struct WeighingStep {
  std::vector<std::string> lines;  // to process as received text, in order
  std::string status;              // for the status bar; empty: nothing to say
};

// The title lines of a series written here; distinct from a scale's own.
std::string WeighingTitle(bool net);
// The column header, as a scale writes it.
std::string WeighingHeader();
// One record: the number with leading zeros (three digits at least), the
// mass and the running total (scaled integers with `decimals` decimals;
// none: a trailing point, so that the parser reads 0 decimals), each with
// its unit.
std::string WeighingRecordLine(int number, std::int64_t mass, std::int64_t total, int decimals,
                               const std::string& unit);

// Puts lines back into the preview (an open series after a restart) by the
// preview's limit, as line processing adds lines; nothing reaches the file.
void RestorePreviewLines(const std::vector<std::string>& lines, ScaleScreen& screen);

class WeighingSeries {
 public:
  // A reading that reports no stability counts as stable once it has stayed
  // the same for this long (days).
  static constexpr TDateTime kSettleTime = 1.0 / 86400;
  // A press waiting for a stable reading gives up after this long.
  static constexpr TDateTime kPressTimeout = 5.0 / 86400;

  // The unit of readings whose line carries none (the unit label).
  void SetDefaultUnit(std::string unit) { defaultUnit_ = std::move(unit); }
  // Automatic recording from this mass up; 0 or less: off. A change waits
  // for the next stable reading below it before it records.
  void SetAutoThreshold(double threshold);
  double AutoThreshold() const { return threshold_; }

  // Every line after line processing, with the reading the display shows
  // now. Own lines put through line processing need not come here.
  WeighingStep OnLine(const ClassifiedLine& line, const std::optional<ScaleReading>& shown);
  // The passing of time (a few times a second): settling and a waiting press.
  WeighingStep OnTick(const std::optional<ScaleReading>& shown);
  // "Zapisz ważenie": the reading shown now, or none. A reading not stable
  // yet is kept and recorded once it settles unchanged; any change drops it.
  WeighingStep Record(const std::optional<ScaleReading>& shown);
  // "Zakończ bilans".
  WeighingStep End();

  // Reads the data file of the day (lines ended by LF, CR dropped) and goes
  // on with its open series. Returns that series' lines (title, header,
  // records as written), for the preview; empty when none is open.
  std::vector<std::string> Recover(std::istream& dataFile);

  bool Open() const { return next_ > 1; }
  int NextNumber() const { return next_; }
  bool Pending() const { return pending_.has_value(); }

 private:
  struct Shown {
    ScaleReading reading;
    TDateTime since = 0;
  };
  bool Settled(const ScaleReading& reading) const;
  void Track(const std::optional<ScaleReading>& shown);
  WeighingStep Resolve(const std::optional<ScaleReading>& shown);
  WeighingStep Automatic();
  WeighingStep Write(const ScaleReading& reading);
  std::string UnitOf(const ScaleReading& reading) const;

  std::string defaultUnit_ = "kg";
  double threshold_ = 0;
  bool armed_ = false;
  std::optional<Shown> shown_;
  std::optional<ScaleStatus> status_;  // the status the display shows instead of a reading
  std::optional<ScaleReading> pending_;
  TDateTime pendingSince_ = 0;

  int next_ = 1;
  std::int64_t total_ = 0;  // scaled by 10^decimals_
  int decimals_ = 0;
  std::string unit_;
  bool net_ = false;
};
