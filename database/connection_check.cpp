#include "database/connection_check.h"

#include "database/schema.h"
#include "database/status_text.h"

namespace {

ConnectionCheck Failed(const PgError& error) {
  ConnectionCheck check;
  check.fault = ClassifyFault(error.message, error.sqlState);
  check.text = FaultAdvice(check.fault, error.message);
  return check;
}

}  // namespace

ConnectionCheck CheckConnection(const ShippingTarget& target) {
  PgLink link;
  PgError error;
  const std::atomic<bool> never{false};
  if (!link.Connect(target.connection, std::chrono::seconds(5), never, error)) return Failed(error);
  auto facts = link.Exec(
      "SELECT current_setting('server_version'), current_database(), current_user, "
      "to_regclass('waga_wersja') IS NOT NULL, has_schema_privilege(current_schema(), 'CREATE')",
      {}, error);
  if (!facts) return Failed(error);
  ConnectionCheck check;
  check.text = "Połączenie działa: PostgreSQL " + facts->Value(0, 0) + ", baza " + facts->Value(0, 1) +
               ", użytkownik " + facts->Value(0, 2) + ", stanowisko \"" + target.station + "\".\n";
  if (facts->Value(0, 3) == "t") {
    auto version = link.Exec("SELECT max(wersja) FROM waga_wersja", {}, error);
    if (!version) return Failed(error);
    const std::string v = version->IsNull(0, 0) ? "0" : version->Value(0, 0);
    check.ok = true;
    check.text += "Tabele programu są w bazie (wersja " + v + ")";
    check.text += std::stoi(v) < kSchemaVersion && facts->Value(0, 4) != "t"
                      ? ", ale starsze, a ten użytkownik nie może ich uzupełnić."
                      : ".";
    if (std::stoi(v) < kSchemaVersion && facts->Value(0, 4) != "t") {
      check.ok = false;
      check.fault = DatabaseFault::NoCreateRight;
    }
  } else if (facts->Value(0, 4) == "t") {
    check.ok = true;
    check.text += "Tabel programu jeszcze nie ma; program je założy.";
  } else {
    check.fault = DatabaseFault::NoCreateRight;
    check.text += FaultAdvice(DatabaseFault::NoCreateRight, "");
  }
  return check;
}
