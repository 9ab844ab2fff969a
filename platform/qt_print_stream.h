#pragma once

// The print stream on QPrinter: either the system's default printer or a
// PDF file. Lines are laid out by this class: text is drawn at the writing
// position in the current font, a text wider than the rest of the printable
// width is cut after its last fitting character and goes on at the left edge
// of the next line, and a line that would not fit on the page starts a new
// one. Font names without an installed family fall back to a fixed-pitch
// family ("Courier New" to "Liberation Mono").

#include <QFont>
#include <QString>
#include <memory>
#include <string>

#include "balance/print_stream.h"

class QPainter;
class QPrinter;

class QtPrintStream : public PrintStream {
 public:
  // Open codes other than 0.
  static constexpr int kNoDefaultPrinter = 1;
  static constexpr int kCannotStartJob = 2;

  // A stream on the system's default printer.
  QtPrintStream();
  // A stream that writes an A4 PDF file to `pdfPath` (local 8-bit path).
  explicit QtPrintStream(std::string pdfPath);
  ~QtPrintStream() override;

  QtPrintStream(const QtPrintStream&) = delete;
  QtPrintStream& operator=(const QtPrintStream&) = delete;

  int Open() override;
  void SetFontName(const std::string& name) override;
  void SetFontSize(int points) override;
  void SetFontStyle(FontStyles styles) override;
  void Write(std::string_view text) override;
  void Flush() override;
  void EndLine() override;
  void Close() override;
  void Abort() noexcept override;

 private:
  void ApplyFont();
  void Draw(const QString& text);
  void DrawPiece(const QString& piece, double width);
  void BreakLine();
  void StartPageIfLineDoesNotFit(double lineHeight);
  void CheckPrinter() const;

  std::string pdfPath_;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
  QFont font_;
  QString pending_;
  double pageWidth_ = 0;
  double pageHeight_ = 0;
  double x_ = 0;           // writing position on the current line
  double y_ = 0;           // top of the current line
  double lineHeight_ = 0;  // tallest text drawn on the current line, 0 when none
  bool open_ = false;
};
