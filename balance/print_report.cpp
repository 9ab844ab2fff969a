// "Drukuj": the preview as it stands, without its first line.

#include <optional>
#include <string>

#include "balance/printout_frame.h"
#include "balance/printouts.h"

void BBdrukujClick(PrintoutHost& host) {
  if (!PreviewHoldsLines(host)) return;

  PrintInFrame(host, std::nullopt, [&](PrintStream& stream) {
    stream.EndLine();
    // The range is taken after the head; lines added later are not printed.
    const int last = host.PreviewLineCount() - 1;
    for (int line = 1; line <= last; ++line) {
      const std::string text = host.PreviewLine(line);
      if (text.empty()) continue;
      stream.Write(std::string(kPrintMargin) + text);
      stream.EndLine();
    }
  });
}
