// Arbitrary bytes, cut into arbitrary deliveries, through line assembly and
// line processing. Every byte read that is not CR or LF ends up, in order,
// in a processed line or in PendingLine; no line holds CR or LF; PendingLine
// stays below its limit; the preview stays within its limit.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/line_assembly.h"
#include "text/clock.h"
#include "text/number_text.h"
#include "text/umy_fun.h"
#include "balance/balance_record.h"
#include "fuzz/fuzz_check.h"
#include "view/dialogs.h"

namespace {

constexpr TDateTime kNow = 46363.5;  // 2026-12-07 12:00
constexpr std::size_t kMaxInputBytes = 80'000;  // room for one line cut at the limit

struct NoDialogs : Dialogs {
  int shown = 0;
  void ShowMessage(MessageKind, const std::string&) override { ++shown; }
  bool Confirm(const std::string&) override { return true; }
  std::string InputBox(const std::string&, const std::string&, const std::string& p) override { return p; }
  std::optional<std::string> SaveFileName(const std::string&) override { return std::nullopt; }
};

// Keeps every line ever added to the preview besides the preview itself.
struct RecordingScreen : ScaleScreen {
  std::string display = "- - - - -";
  std::vector<std::string> preview, added;
  int maxPreviewLines = 10;
  bool zapis = false, ciaglyplik = false, dataBilansu = false, autoucinaj = true;
  NoDialogs dialogs;

  std::string DisplayCaption() const override { return display; }
  void SetDisplayCaption(const std::string& text) override { display = text; }
  int PreviewLineCount() const override { return static_cast<int>(preview.size()); }
  std::string PreviewLine(int index) const override { return preview.at(static_cast<std::size_t>(index)); }
  void DeleteFirstPreviewLines(int count) override { preview.erase(preview.begin(), preview.begin() + count); }
  void ClearPreview() override { preview.clear(); }
  void AddPreviewLine(const std::string& line) override {
    preview.push_back(line);
    added.push_back(line);
  }
  std::int32_t MaxPreviewLines() const override { return maxPreviewLines; }
  bool CBciaglymemo() const override { return true; }
  bool CBzapis() const override { return zapis; }
  void SetCBzapis(bool checked) override { zapis = checked; }
  bool CBciaglyplik() const override { return ciaglyplik; }
  bool CBdata_bilansu() const override { return dataBilansu; }
  bool RBautoucinaj() const override { return autoucinaj; }
  // No name: a write fails at once, without touching the disk.
  std::string Enazwapliku() const override { return {}; }
  void SetStatusPanel1(const std::string&) override {}
  void SetStatusPanel1Hint(const std::string&) override {}
  Dialogs& Messages() override { return dialogs; }
};

// Hands out the queued bytes, at most `count` per read; a failing read
// takes nothing.
struct QueuePort : ScalePort {
  std::string queued, delivered;
  bool failNext = false;

  void Open() override {}
  void Close() override {}
  bool Connected() const override { return true; }
  std::string Port() const override { return "COM2"; }
  TBaudRate BaudRate() const override { return br9600; }
  int ReadString(std::string& text, int count) override {
    if (failNext) {
      failNext = false;
      throw std::runtime_error("read failed");
    }
    text = queued.substr(0, static_cast<std::size_t>(count));
    queued.erase(0, text.size());
    delivered += text;
    return static_cast<int>(text.size());
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetClock([] { return kNow; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  RecordingScreen screen;
  const auto settings = input.ConsumeIntegral<std::uint8_t>();
  screen.zapis = settings & 1;
  screen.ciaglyplik = settings & 2;
  screen.dataBilansu = settings & 4;
  screen.autoucinaj = settings & 8;
  screen.maxPreviewLines = 10 + (settings >> 4);
  const bool writingAtStart = screen.zapis;

  QueuePort port;
  AcquisitionState state;
  int pendingCalls = 0;
  state.MessagePending = [&pendingCalls] { ++pendingCalls; };

  std::size_t total = 0;
  bool repeated = false;
  while (input.remaining_bytes() > 0) {
    const auto op = input.ConsumeIntegral<std::uint8_t>();
    std::string chunk = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, 256));
    // Once per input perhaps the chunk many times over: a line longer than
    // the limit. Long inputs are slow, so only one.
    int repeats = 1;
    if ((op & 0xF0) == 0xF0 && !chunk.empty() && !repeated) {
      repeated = true;
      repeats = input.ConsumeIntegralInRange<int>(1, 70'000 / static_cast<int>(chunk.size()) + 1);
    }
    for (int k = 0; k < repeats && total < kMaxInputBytes; ++k, total += chunk.size()) port.queued += chunk;
    port.failNext = (op & 7) == 0;
    const int count = (op & 8) ? input.ConsumeIntegralInRange<int>(-2, static_cast<int>(port.queued.size()) + 2)
                               : static_cast<int>(port.queued.size());
    ComPortDriver_inRxChar(count, port, screen, state);
    FUZZ_CHECK(state.PendingLine.size() < kMaxPendingLine);
    FUZZ_CHECK(screen.preview.size() <= static_cast<std::size_t>(screen.maxPreviewLines));
  }
  while (!port.queued.empty()) ComPortDriver_inRxChar(static_cast<int>(port.queued.size()), port, screen, state);

  // Every line as it was received, the balance suffix taken off again.
  const std::string suffix = DateSuffix(kNow);
  std::string joined;
  std::size_t lineFeedEnded = 0;
  std::string lastLine;
  for (const std::string& added : screen.added) {
    std::string line = added;
    BalanceRecord record;
    bool stamped = false;
    if (screen.dataBilansu && line.size() >= suffix.size() &&
        line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
      std::string bare = line.substr(0, line.size() - suffix.size());
      if (!IsReading(bare) && ParseBalanceRecord(bare, record)) {
        line = bare;
        stamped = true;
      }
    }
    FUZZ_CHECK(stamped == (screen.dataBilansu && !IsReading(line) && ParseBalanceRecord(line, record)));
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(line.size() <= kMaxPendingLine);
    if (line.size() < kMaxPendingLine) ++lineFeedEnded;
    joined += line;
    lastLine = line;
  }

  std::string expected, lineFeeds;
  for (char c : port.delivered) {
    if (c == '\n') lineFeeds.push_back(c);
    else if (c != '\r') expected.push_back(c);
  }
  FUZZ_CHECK(joined + state.PendingLine == expected);
  FUZZ_CHECK(lineFeedEnded == lineFeeds.size());

  if (screen.added.empty()) {
    FUZZ_CHECK(screen.display == "- - - - -");
    FUZZ_CHECK(state.LastLineTime == 0);
  } else {
    FUZZ_CHECK(state.LastLineTime == kNow);
    FUZZ_CHECK(screen.display == (IsReading(lastLine) ? CommaToPoint(StripSpaces(lastLine)) : ""));
  }
  // A failed write switches writing off and leaves one message pending.
  FUZZ_CHECK(pendingCalls == (state.DataFileMessagePending ? 1 : 0));
  if (state.DataFileMessagePending) FUZZ_CHECK(writingAtStart && !screen.zapis);
  FUZZ_CHECK(screen.dialogs.shown == 0);
  return 0;
}
