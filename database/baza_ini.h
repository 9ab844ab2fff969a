#pragma once

// "baza.ini", beside konfig.ini: where this station's lines go. Two lines of
// key "=" value, CR LF, Windows-1250:
//   Polaczenie=  a libpq connection string ("host=serwer dbname=waga user=waga");
//                a password goes into libpq's own password file, never here
//   Stanowisko=  the station's name in the database; empty: the host name
// This module alone reads and writes it. Without the file nothing is shipped.

#include <optional>
#include <string>

inline constexpr const char* kDatabaseFileName = "baza.ini";

struct DatabaseSettings {
  std::string connection;  // Windows-1250, as written
  std::string station;     // Windows-1250; empty: the host name
};

// Nothing when the file is missing or unreadable; unknown lines are ignored.
std::optional<DatabaseSettings> LoadDatabaseSettings(const std::string& path = kDatabaseFileName);
// Replaced the way every stored file is; false with a Polish reason (UTF-8).
bool SaveDatabaseSettings(const DatabaseSettings& settings, std::string& reason,
                          const std::string& path = kDatabaseFileName);

// The station's name as the database gets it (UTF-8): the setting, or the
// computer's host name when the setting is empty.
std::string StationName(const DatabaseSettings& settings);
// The computer's name ("stanowisko" when the system gives none).
std::string HostName();

// True when the connection string names a password (the dialog refuses to
// store it). Also true for a string libpq cannot parse, with `error` set.
bool ConnectionHoldsPassword(const std::string& connection, std::string& error);
