#pragma once

// A text stream on a printer, as the printouts write to it: a current font
// (name, size in points, style set), text appended to the current line, lines
// that wrap at the printable width and pages that follow as needed.
// Texts are Windows-1250.

#include <stdexcept>
#include <string>
#include <string_view>

// Any of bold, italic and underline; all false is regular.
struct FontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;

  static FontStyles Regular() { return {}; }
  static FontStyles BoldOnly() { return {true, false, false}; }
  static FontStyles ItalicOnly() { return {false, true, false}; }
  static FontStyles UnderlineOnly() { return {false, false, true}; }
  bool operator==(const FontStyles&) const = default;
};

// Raised by a stream when the printer fails after the job was opened.
// The message is a Windows-1250 text for the user.
class PrintError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PrintStream {
 public:
  virtual ~PrintStream() = default;

  // Starts a job; the writing position is the left edge of the first line of
  // the printable area. Returns 0 on success, another code when no job could
  // be started (then nothing else may be called).
  virtual int Open() = 0;

  // Apply to all text put on the page afterwards.
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetFontStyle(FontStyles styles) = 0;

  // Appends to the pending text of the current line.
  virtual void Write(std::string_view text) = 0;
  // Puts the pending text on the page in the current font; the line goes on
  // right after it.
  virtual void Flush() = 0;
  // Puts the pending text on the page and moves to the next line; an empty
  // line advances by the height of the current font.
  virtual void EndLine() = 0;
  // Ends the job; the last page is printed.
  virtual void Close() = 0;
  // Ends the job without printing it (after a failure). Never throws.
  virtual void Abort() noexcept = 0;
};
