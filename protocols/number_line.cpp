// liczba: the bare number, read exactly as the reading test reads it.

#include <string>

#include "protocols/line_fields.h"
#include "text/number_text.h"
#include "text/umy_fun.h"

ClassifiedLine ReadNumberLine(std::string_view line) {
  ClassifiedLine out;
  const std::string stripped = StripSpaces(line);
  const std::string comma = PointToComma(stripped);
  const std::optional<long double> number = TextToExtended(comma);
  if (!number) return out;
  out.kind = LineKind::Reading;
  out.reading.value = CommaToPoint(stripped);
  out.reading.number = static_cast<double>(*number);
  const std::size_t mark = comma.find(',');
  if (mark != std::string::npos) {
    std::size_t i = mark + 1;
    while (i < comma.size() && comma[i] >= '0' && comma[i] <= '9') ++i;
    out.reading.decimals = static_cast<int>(i - mark - 1);
  }
  return out;
}
