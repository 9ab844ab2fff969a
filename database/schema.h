#pragma once

// The tables and views this program keeps in the database, versioned: the
// table waga_wersja holds the version; each step takes a database from one
// version to the next, never back. A database of a newer version is used as
// it is (the lines' columns are named in every statement).

#include "database/pg_link.h"

inline constexpr int kSchemaVersion = 1;

// Creates or brings up the schema inside a transaction of its own, guarded
// by an advisory lock so that stations starting together do it once. False
// with `error` (a missing right to create shows as NoCreateRight).
bool EnsureSchema(PgLink& link, PgError& error);
