#pragma once

// The frame shared by the three printouts: the empty-preview check, the
// opening of the stream, the page head and the closing confirmation.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "balance/printout_host.h"

// Ten blanks: the left margin of every text line.
inline constexpr std::string_view kPrintMargin = "          ";

// Shows the error box and returns false when the preview holds no line.
bool PreviewHoldsLines(PrintoutHost& host);

// Shows `text` (UTF-8 source literal) in an error box.
void ShowPrintoutError(PrintoutHost& host, std::string_view utf8Text);

using PrintoutBody = std::function<void(PrintStream&)>;

// Opens a stream, writes the head with `title` underlined (or, without a
// title, a title line holding only the margin), then the body, closes the
// stream and confirms. A stream that does not open is reported and nothing
// else happens. If writing throws, the job is aborted and the error goes on.
// `title` is Windows-1250.
void PrintInFrame(PrintoutHost& host, const std::optional<std::string>& title,
                  const PrintoutBody& body);
