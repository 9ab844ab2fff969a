#include "tests/support/printing/recording_print_stream.h"

#include <stdexcept>
#include <utility>

std::string PrintedLine::Text() const {
  std::string text;
  for (const PrintedRun& run : Runs) text += run.Text;
  return text;
}

std::string PrintedLine::Marked() const {
  std::string text;
  for (const PrintedRun& run : Runs) {
    std::string open, close;
    for (auto [on, mark] : {std::pair{run.Styles.Bold, 'b'}, {run.Styles.Italic, 'i'},
                            {run.Styles.Underline, 'u'}}) {
      if (!on) continue;
      open += std::string("<") + mark + ">";
      close = std::string("</") + mark + ">" + close;
    }
    text += open + run.Text + close;
  }
  return text;
}

std::vector<std::string> PrintRecording::Texts() const {
  std::vector<std::string> texts;
  for (const PrintedLine& line : Lines) texts.push_back(line.Text());
  return texts;
}

std::vector<std::string> PrintRecording::MarkedTexts() const {
  std::vector<std::string> texts;
  for (const PrintedLine& line : Lines) texts.push_back(line.Marked());
  return texts;
}

int RecordingPrintStream::Open() {
  if (recording_.Opened) throw std::logic_error("stream opened twice");
  if (recording_.OpenResult != 0) return recording_.OpenResult;
  recording_.Opened = true;
  if (recording_.OnOpen) recording_.OnOpen();
  return 0;
}

void RecordingPrintStream::Flush() {
  if (!recording_.Opened || recording_.Closed) throw std::logic_error("write outside the job");
  if (pending_.empty()) return;
  line_.Runs.push_back({styles_, pending_});
  pending_.clear();
}

void RecordingPrintStream::EndLine() {
  Flush();
  const int index = static_cast<int>(recording_.Lines.size());
  if (index == recording_.FailAtLine) throw PrintError("printer out of paper");
  recording_.Lines.push_back(std::move(line_));
  line_ = {};
  if (recording_.OnLineEnded) recording_.OnLineEnded(index);
}

void RecordingPrintStream::Close() {
  Flush();
  if (!line_.Runs.empty()) recording_.Lines.push_back(std::move(line_));
  recording_.Closed = true;
}
