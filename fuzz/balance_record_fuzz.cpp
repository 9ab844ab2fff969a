// Any line given to the balance record parser: no crash, and an accepted
// line gives a record that the printouts can use as it is.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "balance/balance_record.h"
#include "fuzz/fuzz_check.h"

namespace {

// The fields come from the scale's digits, marks, '/' and ':' only.
bool OnlyFieldCharacters(std::string_view field) {
  for (char c : field) {
    if (c != ',' && (c < '.' || c > ':')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  BalanceRecord record;
  if (!ParseBalanceRecord(line, record)) return 0;

  FUZZ_CHECK(!line.empty());
  // Signs are never part of a field, so nothing parsed is negative.
  FUZZ_CHECK(record.Number >= 0);
  FUZZ_CHECK(std::isfinite(record.Mass) && record.Mass >= 0);
  FUZZ_CHECK(std::isfinite(record.Total) && record.Total >= 0);
  FUZZ_CHECK(OnlyFieldCharacters(record.Day) && OnlyFieldCharacters(record.Time));
  FUZZ_CHECK(record.Day.size() < size && record.Time.size() < size);

  // The same line parses the same way again (no hidden state).
  BalanceRecord again;
  FUZZ_CHECK(ParseBalanceRecord(line, again));
  FUZZ_CHECK(again.Number == record.Number && again.Mass == record.Mass &&
             again.Total == record.Total && again.Day == record.Day &&
             again.Time == record.Time && again.Decimals == record.Decimals);
  return 0;
}
