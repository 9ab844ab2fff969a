// "Drukuj szczegółowy bilans": one row per record of the balance that ends
// the preview.

#include <string>

#include "text/umy_fun.h"
#include "text/win1250.h"
#include "balance/balance_record.h"
#include "balance/balance_run.h"
#include "balance/mass_format.h"
#include "balance/printout_frame.h"
#include "balance/printouts.h"

namespace {

// Walks up from the last line over records and empty lines; the first other
// line is the boundary. Line 0 is the boundary whenever the walk reaches it.
int FindBalanceBoundary(const PrintoutHost& host) {
  int line = host.PreviewLineCount() - 1;
  BalanceRecord record;
  while (line > 0) {
    if (ClassifyRunLine(host.PreviewLine(line), record) == RunLine::Other) break;
    --line;
  }
  return line;
}

// Number 3, mass 13, total 13, day 16, time 10 columns, each right-aligned
// and never cut, after the margin.
std::string DetailedRow(const BalanceRecord& record) {
  return std::string(kPrintMargin) + PadLeft(std::to_string(record.Number), 3) +
         PadLeft(FormatMass(record.Mass, record.Decimals), 13) +
         PadLeft(FormatMass(record.Total, record.Decimals), 13) + PadLeft(record.Day, 16) +
         PadLeft(record.Time, 10);
}

void WriteRows(PrintStream& stream, const PrintoutHost& host, int boundary) {
  // The range ends at the last line as it stands now, after the head: a line
  // that arrived while the job opened is part of it.
  const int last = host.PreviewLineCount() - 1;
  for (int line = boundary + 1; line <= last; ++line) {
    const std::string text = host.PreviewLine(line);
    if (text.empty()) continue;
    BalanceRecord record;
    // A line that changed after the walk and is no record any more is
    // printed as it stands, so that nothing vanishes silently.
    stream.Write(ParseBalanceRecord(text, record) ? DetailedRow(record)
                                                  : std::string(kPrintMargin) + text);
    stream.EndLine();
  }
}

}  // namespace

void BBdrukuj_szczbilansClick(PrintoutHost& host) {
  if (!PreviewHoldsLines(host)) return;

  const int boundary = FindBalanceBoundary(host);
  if (boundary == host.PreviewLineCount() - 1) {
    ShowPrintoutError(host, "Brak pozycji bilansowych (waga nie pracuje w trybie \"bilansu\")!");
    return;
  }

  PrintInFrame(host, Utf8ToCp1250("S Z C Z E G Ó Ł O W Y    B I L A N S    W A Ż E Ń"),
               [&](PrintStream& stream) {
                 stream.EndLine();
                 stream.EndLine();
                 stream.Write(Utf8ToCp1250(
                     "          nr.waż.     masa    łączna masa       dzień      godzina"));
                 stream.EndLine();
                 stream.EndLine();
                 WriteRows(stream, host, boundary);
                 stream.EndLine();
                 stream.Write(kPrintMargin);
                 stream.Flush();
                 stream.SetFontStyle(FontStyles::ItalicOnly());
                 stream.Write("koniec bilansu.");
                 stream.EndLine();
                 stream.SetFontStyle(FontStyles::Regular());
               });
}
