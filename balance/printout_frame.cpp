#include "balance/printout_frame.h"

#include "text/clock.h"
#include "text/umy_fun.h"
#include "text/win1250.h"

namespace {

constexpr int kFontSize = 13;
constexpr int kTopMarginLines = 5;

void WriteCompanyHeader(PrintStream& stream, PrintoutHost& host) {
  const std::string margin(kPrintMargin);
  stream.SetFontStyle(FontStyles::ItalicOnly());
  stream.Write(margin + host.CompanyName());
  stream.EndLine();
  stream.Write(margin + host.CompanyAddress());
  stream.EndLine();
  stream.EndLine();
  stream.SetFontStyle(FontStyles::Regular());
}

void WriteHead(PrintStream& stream, PrintoutHost& host, const std::optional<std::string>& title) {
  stream.SetFontName("Courier New");
  stream.SetFontSize(kFontSize);
  stream.SetFontStyle(FontStyles::Regular());
  for (int i = 0; i < kTopMarginLines; ++i) stream.EndLine();
  if (host.PrintCompanyHeader()) WriteCompanyHeader(stream, host);

  // The margin is flushed first so that it stays regular under a title.
  stream.Write(kPrintMargin);
  stream.Flush();
  if (title) {
    stream.SetFontStyle(FontStyles::UnderlineOnly());
    stream.Write(*title);
    stream.EndLine();
    stream.SetFontStyle(FontStyles::Regular());
    stream.EndLine();
  } else {
    stream.EndLine();
  }

  // The date and the time end in column 42; the clock is read for each.
  stream.Write(std::string(kPrintMargin) + "Data wydruku: " + PadLeft(PrintDate(Now()), 18));
  stream.EndLine();
  stream.Write(std::string(kPrintMargin) + "Godzina wydruku: " + PadLeft(PrintTime(Now()), 15));
  stream.EndLine();
}

}  // namespace

bool PreviewHoldsLines(PrintoutHost& host) {
  if (host.PreviewLineCount() > 0) return true;
  ShowPrintoutError(host, "Brak informacji o \"bilansie\" (okno z raportami jest puste)!");
  return false;
}

void ShowPrintoutError(PrintoutHost& host, std::string_view utf8Text) {
  host.Messages().ShowMessage(MessageKind::Error, Utf8ToCp1250(utf8Text));
}

void PrintInFrame(PrintoutHost& host, const std::optional<std::string>& title,
                  const PrintoutBody& body) {
  std::unique_ptr<PrintStream> stream = host.NewPrintStream();
  if (!stream || stream->Open() != 0) {
    ShowPrintoutError(host,
                      "Błąd przy otwieraniu strumienia wydruku!\r"
                      "Sprawdź konfigurację drukarki w Windows.");
    return;
  }
  try {
    WriteHead(*stream, host, title);
    body(*stream);
    stream->Close();
  } catch (...) {
    stream->Abort();
    throw;
  }
  host.Messages().ShowMessage(MessageKind::Information,
                              Utf8ToCp1250("Informację o bilansie skierowano na drukarkę."));
}
