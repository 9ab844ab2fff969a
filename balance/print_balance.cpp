// "Drukuj bilans": number of weighings and total mass of the last record.

#include <string>

#include "text/umy_fun.h"
#include "text/win1250.h"
#include "balance/balance_record.h"
#include "balance/mass_format.h"
#include "balance/printout_frame.h"
#include "balance/printouts.h"

namespace {

// Label, then the value in bold; the widths make the value end in column 42.
void WriteBoldValueLine(PrintStream& stream, std::string_view utf8Label, const std::string& value,
                        int width) {
  stream.Write(std::string(kPrintMargin) + Utf8ToCp1250(utf8Label));
  stream.Flush();
  stream.SetFontStyle(FontStyles::BoldOnly());
  stream.Write(PadLeft(value, width));
  stream.EndLine();
  stream.SetFontStyle(FontStyles::Regular());
}

}  // namespace

void BBdrukuj_bilansClick(PrintoutHost& host) {
  if (!PreviewHoldsLines(host)) return;

  // The record is read before the stream opens: lines arriving while the
  // job starts do not change what is printed.
  int last = host.PreviewLineCount() - 1;
  while (last > 0 && host.PreviewLine(last).empty()) --last;
  BalanceRecord record;
  if (!ParseBalanceRecord(host.PreviewLine(last), record)) {
    ShowPrintoutError(host, "Waga nie pracuje w trybie \"bilansu\"!");
    return;
  }

  PrintInFrame(host, Utf8ToCp1250("B I L A N S    W A Ż E Ń"), [&](PrintStream& stream) {
    WriteBoldValueLine(stream, "Liczba ważeń: ", std::to_string(record.Number), 18);
    WriteBoldValueLine(stream, "Łączna masa: ", FormatMass(record.Total, record.Decimals), 19);
  });
}
