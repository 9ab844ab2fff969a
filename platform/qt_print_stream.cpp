#include "platform/qt_print_stream.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "text/win1250.h"

namespace {

QString FromText(std::string_view text) { return QString::fromStdString(Cp1250ToUtf8(text)); }

// The printouts ask for "Courier New"; where it is missing a metric-compatible
// fixed-pitch family takes its place.
QString InstalledFamily(const QString& name) {
  if (QFontDatabase::hasFamily(name)) return name;
  const QString liberation = QStringLiteral("Liberation Mono");
  if (QFontDatabase::hasFamily(liberation)) return liberation;
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

// Longest prefix of `text` whose advance fits into `room`.
qsizetype FittingLength(const QFontMetricsF& metrics, const QString& text, double room) {
  qsizetype low = 0, high = text.size();
  while (low < high) {
    const qsizetype middle = (low + high + 1) / 2;
    if (metrics.horizontalAdvance(text.left(middle)) <= room)
      low = middle;
    else
      high = middle - 1;
  }
  return low;
}

}  // namespace

QtPrintStream::QtPrintStream() = default;

QtPrintStream::QtPrintStream(std::string pdfPath) : pdfPath_(std::move(pdfPath)) {}

QtPrintStream::~QtPrintStream() { Abort(); }

int QtPrintStream::Open() {
  if (open_) return 0;
  if (pdfPath_.empty()) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) return kNoDefaultPrinter;
    printer_ = std::make_unique<QPrinter>(defaultPrinter, QPrinter::HighResolution);
  } else {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromLocal8Bit(pdfPath_));
    printer_->setPageSize(QPageSize(QPageSize::A4));
    // About the border a printer cannot reach.
    printer_->setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
  }
  printer_->setDocName(QStringLiteral("Waga"));

  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_.get())) {
    painter_.reset();
    printer_.reset();
    return kCannotStartJob;
  }
  pageWidth_ = printer_->width();
  pageHeight_ = printer_->height();
  x_ = y_ = lineHeight_ = 0;
  pending_.clear();
  font_ = QFont();
  font_.setStyleHint(QFont::TypeWriter);
  font_.setFixedPitch(true);
  font_.setKerning(false);
  open_ = true;
  return 0;
}

void QtPrintStream::SetFontName(const std::string& name) {
  font_.setFamily(InstalledFamily(FromText(name)));
}

void QtPrintStream::SetFontSize(int points) { font_.setPointSize(std::max(points, 1)); }

void QtPrintStream::SetFontStyle(FontStyles styles) {
  font_.setBold(styles.Bold);
  font_.setItalic(styles.Italic);
  font_.setUnderline(styles.Underline);
}

void QtPrintStream::Write(std::string_view text) { pending_ += FromText(text); }

void QtPrintStream::Flush() {
  if (!open_ || pending_.isEmpty()) return;
  const QString text = pending_;
  pending_.clear();
  Draw(text);
}

void QtPrintStream::EndLine() {
  if (!open_) return;
  Flush();
  BreakLine();
}

void QtPrintStream::Close() {
  if (!open_) return;
  Flush();
  open_ = false;
  const bool ended = painter_->end();
  painter_.reset();
  printer_.reset();
  if (!ended) throw PrintError(Utf8ToCp1250("Drukarka nie przyjęła wydruku."));
}

void QtPrintStream::Abort() noexcept {
  if (!open_) return;
  open_ = false;
  printer_->abort();
  painter_->end();
  painter_.reset();
  printer_.reset();
  if (!pdfPath_.empty()) QFile::remove(QString::fromLocal8Bit(pdfPath_));
}

// Puts text at the writing position, going on at the next line's left edge
// from the first character that does not fit.
void QtPrintStream::Draw(const QString& text) {
  const QFontMetricsF metrics(font_, printer_.get());
  QString rest = text;
  while (!rest.isEmpty()) {
    qsizetype fitting = FittingLength(metrics, rest, pageWidth_ - x_);
    if (fitting == rest.size()) {
      DrawPiece(rest, metrics.horizontalAdvance(rest));
      return;
    }
    // A character wider than the whole line still goes out, alone.
    if (fitting == 0 && lineHeight_ == 0 && x_ == 0) fitting = 1;
    if (fitting > 0) {
      const QString piece = rest.left(fitting);
      DrawPiece(piece, metrics.horizontalAdvance(piece));
      rest.remove(0, fitting);
    }
    BreakLine();
  }
}

void QtPrintStream::DrawPiece(const QString& piece, double width) {
  const QFontMetricsF metrics(font_, printer_.get());
  if (lineHeight_ == 0) StartPageIfLineDoesNotFit(metrics.lineSpacing());
  lineHeight_ = std::max(lineHeight_, metrics.lineSpacing());
  painter_->setFont(font_);
  painter_->drawText(QPointF(x_, y_ + metrics.ascent()), piece);
  x_ += width;
  CheckPrinter();
}

// Lines advance by the height of their text; an empty one by the height of
// the current font.
void QtPrintStream::BreakLine() {
  y_ += lineHeight_ > 0 ? lineHeight_ : QFontMetricsF(font_, printer_.get()).lineSpacing();
  x_ = 0;
  lineHeight_ = 0;
}

void QtPrintStream::StartPageIfLineDoesNotFit(double lineHeight) {
  if (y_ == 0 || y_ + lineHeight <= pageHeight_) return;
  if (!printer_->newPage()) throw PrintError(Utf8ToCp1250("Drukarka nie rozpoczęła nowej strony."));
  y_ = 0;
}

void QtPrintStream::CheckPrinter() const {
  if (printer_->printerState() == QPrinter::Error)
    throw PrintError(Utf8ToCp1250("Błąd drukarki; wydruk przerwano."));
}
