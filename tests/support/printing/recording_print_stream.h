#pragma once

// A print stream that keeps what a printer would get: each ended line as the
// runs of text that were flushed in one style, plus the font and the job's
// course. Hooks let a test act while the job opens or a line ends, or make
// the printer fail.

#include <functional>
#include <string>
#include <vector>

#include "balance/print_stream.h"

struct PrintedRun {
  FontStyles Styles;
  std::string Text;
};

struct PrintedLine {
  std::vector<PrintedRun> Runs;
  std::string Text() const;  // the runs joined
  // The runs joined, each styled run wrapped in <b>, <i> or <u> marks.
  std::string Marked() const;
};

// What one job left; owned by the test, filled by the stream.
struct PrintRecording {
  int OpenResult = 0;                     // returned by Open
  std::function<void()> OnOpen;           // runs inside a successful Open
  std::function<void(int)> OnLineEnded;   // runs after line n (from 0) ended
  int FailAtLine = -1;                    // EndLine of this line throws PrintError

  bool Opened = false;
  bool Closed = false;
  bool Aborted = false;
  std::string FontName;
  int FontSize = 0;
  std::vector<PrintedLine> Lines;

  std::vector<std::string> Texts() const;
  std::vector<std::string> MarkedTexts() const;
};

class RecordingPrintStream : public PrintStream {
 public:
  explicit RecordingPrintStream(PrintRecording& recording) : recording_(recording) {}

  int Open() override;
  void SetFontName(const std::string& name) override { recording_.FontName = name; }
  void SetFontSize(int points) override { recording_.FontSize = points; }
  void SetFontStyle(FontStyles styles) override { styles_ = styles; }
  void Write(std::string_view text) override { pending_ += text; }
  void Flush() override;
  void EndLine() override;
  void Close() override;
  void Abort() noexcept override { recording_.Aborted = true; }

 private:
  PrintRecording& recording_;
  FontStyles styles_;
  std::string pending_;
  PrintedLine line_;
};
