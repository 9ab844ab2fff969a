#include "database/baza_ini.h"

#include <cstring>
#include <fstream>
#include <libpq-fe.h>

#include "serial/stored_file.h"
#include "text/win1250.h"

namespace {

constexpr const char* kConnectionKey = "Polaczenie=";
constexpr const char* kStationKey = "Stanowisko=";

bool HasLineEnd(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

std::optional<DatabaseSettings> LoadDatabaseSettings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  DatabaseSettings settings;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(kConnectionKey)) {
      settings.connection = line.substr(std::strlen(kConnectionKey));
    } else if (line.starts_with(kStationKey)) {
      settings.station = line.substr(std::strlen(kStationKey));
    }
  }
  if (in.bad()) return std::nullopt;
  return settings;
}

bool SaveDatabaseSettings(const DatabaseSettings& settings, std::string& reason, const std::string& path) {
  if (HasLineEnd(settings.connection) || HasLineEnd(settings.station)) {
    reason = "Wartość nie może mieć końca wiersza.";
    return false;
  }
  const std::string text = std::string(kConnectionKey) + settings.connection + "\r\n" + kStationKey +
                           settings.station + "\r\n";
  if (const int error = ReplaceStoredFile(path, text); error != 0) {
    reason = "Nie można zapisać pliku " + path + ": " + std::strerror(error);
    return false;
  }
  return true;
}

std::string StationName(const DatabaseSettings& settings) {
  return settings.station.empty() ? HostName() : Cp1250ToUtf8(settings.station);
}

bool ConnectionHoldsPassword(const std::string& connection, std::string& error) {
  error.clear();
  char* message = nullptr;
  const std::string utf8 = Cp1250ToUtf8(connection);
  PQconninfoOption* options = PQconninfoParse(utf8.c_str(), &message);
  if (options == nullptr) {
    error = message != nullptr ? message : "niepoprawny opis połączenia";
    if (message != nullptr) PQfreemem(message);
    while (!error.empty() && error.back() == '\n') error.pop_back();
    return true;
  }
  bool holds = false;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (std::strcmp(option->keyword, "password") == 0 && option->val != nullptr && *option->val != 0) {
      holds = true;
    }
  }
  PQconninfoFree(options);
  return holds;
}
