#include "database/status_text.h"

std::string GroupedCount(long long count) {
  std::string digits = std::to_string(count < 0 ? -count : count);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), " ");
  return count < 0 ? "-" + digits : digits;
}

std::string DatabasePanelText(const ShipperStatus& status) {
  switch (status.state) {
    case ShipperStatus::State::Connecting: return "baza: łączę z serwerem";
    case ShipperStatus::State::NoConnection: return "baza: brak połączenia";
    case ShipperStatus::State::Connected: break;
  }
  if (status.pending > 0) return "baza: " + GroupedCount(status.pending) + " linii czeka";
  return "baza: na bieżąco";
}

std::string FaultAdvice(DatabaseFault fault, const std::string& message) {
  const std::string said = message.empty() ? "" : "\nSerwer lub biblioteka libpq: " + message;
  switch (fault) {
    case DatabaseFault::None: return "";
    case DatabaseFault::Unreachable:
      return "Serwer bazy danych jest nieosiągalny." + said +
             "\nSprawdź, czy serwer działa, czy host i port w baza.ini są właściwe i czy sieć działa. "
             "Linie czekają w pliku danych i pójdą same, gdy serwer wróci.";
    case DatabaseFault::BadPassword:
      return "Serwer odrzucił hasło (albo go nie dostał)." + said +
             "\nWpisz właściwe hasło do pliku haseł libpq (~/.pgpass albo plik wskazany przez PGPASSFILE), "
             "wiersz host:port:baza:użytkownik:hasło. Program nie przechowuje haseł.";
    case DatabaseFault::UnknownUser:
      return "Serwer nie zna tego użytkownika." + said +
             "\nSprawdź user= w baza.ini albo poproś administratora bazy o założenie konta.";
    case DatabaseFault::DatabaseMissing:
      return "Na serwerze nie ma takiej bazy danych." + said +
             "\nSprawdź dbname= w baza.ini albo poproś administratora o założenie bazy (createdb).";
    case DatabaseFault::NoCreateRight:
      return "Tabel programu nie ma w bazie, a ten użytkownik nie ma prawa ich założyć." + said +
             "\nAdministrator może nadać prawo (GRANT CREATE ON SCHEMA public TO użytkownik) albo raz "
             "uruchomić program jako właściciel bazy, który założy tabele.";
    case DatabaseFault::BadSettings:
      return "Opis połączenia w baza.ini jest niepoprawny." + said +
             "\nPopraw go w oknie \"Baza danych...\" w menu \"Inne\".";
    case DatabaseFault::Refused:
    case DatabaseFault::Other:
      return "Serwer zgłosił błąd." + said + "\nProgram próbuje dalej co kilka sekund.";
  }
  return said;
}

std::string DatabaseTooltip(const ShipperStatus& status, const std::string& station) {
  std::string text = "Linie stanowiska \"" + station + "\" idą do bazy danych (baza.ini).";
  if (status.state == ShipperStatus::State::NoConnection) {
    text += "\n" + FaultAdvice(status.fault, status.message);
  }
  if (status.pending > 0) {
    text += "\nLinie pliku danych, których baza jeszcze nie ma: " + GroupedCount(status.pending) + ".";
  }
  if (status.shipped > 0) text += "\nWysłane od uruchomienia: " + GroupedCount(status.shipped) + ".";
  if (status.refused > 0) {
    text += "\nLinie odrzucone przez bazę (pominięte, są w pliku danych): " + GroupedCount(status.refused) +
            "; ostatnia: " + status.lastRefusal;
  }
  for (const auto& note : status.notes) text += "\n" + note;
  return text;
}
