#include "database/schema.h"

#include <string>

namespace {

// Step n takes version n-1 to version n.
const char* const kSteps[] = {
    // 1: the lines, the read positions, the stations and a view per sheet.
    R"sql(
CREATE TABLE linie (
  stanowisko text NOT NULL,
  plik text NOT NULL,
  wydanie integer NOT NULL DEFAULT 1,
  pozycja bigint NOT NULL,
  tekst text NOT NULL,
  dzien date,
  godzina time(0),
  rodzaj text NOT NULL CHECK (rodzaj IN ('odczyt', 'rekord bilansu', 'tekst')),
  numer integer,
  masa double precision,
  suma double precision,
  jednostka text,
  odczyt double precision,
  odczyt_tekst text,
  stabilny boolean,
  netto boolean,
  przyjeto timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (stanowisko, plik, wydanie, pozycja)
);
CREATE TABLE pozycje (
  stanowisko text NOT NULL,
  plik text NOT NULL,
  wydanie integer NOT NULL DEFAULT 1,
  pozycja bigint NOT NULL DEFAULT 0,
  tozsamosc text NOT NULL DEFAULT '',
  zmieniono timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (stanowisko, plik)
);
CREATE TABLE stanowiska (
  stanowisko text PRIMARY KEY,
  od date NOT NULL DEFAULT current_date
);
CREATE VIEW waga_rekordy AS
SELECT stanowisko, plik, wydanie, pozycja, dzien, godzina, numer, masa, suma, jednostka,
       sum(poczatek) OVER (PARTITION BY stanowisko, plik, wydanie ORDER BY pozycja) AS bilans
FROM (
  SELECT l.*, CASE WHEN rodzaj = 'rekord bilansu' AND coalesce(lag(rodzaj) OVER w, '') <> 'rekord bilansu'
                   THEN 1 ELSE 0 END AS poczatek
  FROM linie l
  WHERE tekst <> ''
  WINDOW w AS (PARTITION BY stanowisko, plik, wydanie ORDER BY pozycja)
) bez_przerw
WHERE rodzaj = 'rekord bilansu';
CREATE VIEW "Ważenia" AS
SELECT stanowisko AS "Stanowisko", dzien AS "Data", godzina AS "Godzina", bilans AS "Bilans",
       numer AS "Nr ważenia", masa AS "Masa", suma AS "Suma", jednostka AS "Jednostka", plik AS "Plik"
FROM waga_rekordy;
CREATE VIEW "Bilanse" AS
SELECT DISTINCT ON (stanowisko, plik, wydanie, bilans)
       stanowisko AS "Stanowisko", dzien AS "Data", godzina AS "Godzina", bilans AS "Bilans",
       numer AS "Liczba ważeń", suma AS "Masa łączna", jednostka AS "Jednostka", plik AS "Plik"
FROM waga_rekordy
ORDER BY stanowisko, plik, wydanie, bilans, pozycja DESC;
CREATE VIEW "Odczyty" AS
SELECT stanowisko AS "Stanowisko", dzien AS "Data", odczyt AS "Odczyt", jednostka AS "Jednostka",
       plik AS "Plik", przyjeto AS "Przyjęto"
FROM linie WHERE rodzaj = 'odczyt';
)sql",
};

}  // namespace

bool EnsureSchema(PgLink& link, PgError& error) {
  // Checked first: a user without the right to create tables can still ship
  // into a schema that someone else made.
  auto present = link.Exec("SELECT to_regclass('waga_wersja') IS NOT NULL", {}, error);
  if (!present) return false;
  if (present->Value(0, 0) == "t") {
    auto version = link.Exec("SELECT max(wersja) FROM waga_wersja", {}, error);
    if (!version) return false;
    if (!version->IsNull(0, 0) && std::stoi(version->Value(0, 0)) >= kSchemaVersion) return true;
  }
  if (!link.Run("BEGIN", error)) return false;
  const auto fail = [&] {
    PgError ignored;
    link.Run("ROLLBACK", ignored);
    return false;
  };
  if (!link.Run("SELECT pg_advisory_xact_lock(7463201)", error) ||
      !link.Run("CREATE TABLE IF NOT EXISTS waga_wersja (wersja integer NOT NULL)", error)) {
    return fail();
  }
  auto version = link.Exec("SELECT coalesce(max(wersja), 0) FROM waga_wersja", {}, error);
  if (!version) return fail();
  for (int step = std::stoi(version->Value(0, 0)) + 1; step <= kSchemaVersion; ++step) {
    if (!link.Run(kSteps[step - 1], error) ||
        !link.Exec("INSERT INTO waga_wersja VALUES ($1)", {std::to_string(step)}, error)) {
      return fail();
    }
  }
  return link.Run("COMMIT", error) || fail();
}
