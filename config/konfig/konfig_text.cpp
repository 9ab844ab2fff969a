#include "text/umy_fun.h"
#include "config/konfig/konfig.h"

namespace {

std::string Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string KonfigText(const KonfigSettings& s) {
  const std::string portNumber = s.Port.size() > 3 ? s.Port.substr(3) : std::string();
  std::string text;
  const auto line = [&](const char* key, const std::string& value) {
    text += key;
    text += '=';
    text += value;
    text += "\r\n";
  };
  line("Numer_portu", portNumber);
  line("Predkosc_transmisji", BaudRateDigits(s.BaudRate));
  line("Nazwa_firmy", s.CompanyName);
  line("Adres_firmy", s.CompanyAddress);
  line("Zapis_do_pliku", Flag(s.CBzapis));
  line("Zapisuj_display", Flag(s.CBciaglyplik));
  line("Wyswietlaj_display", Flag(s.CBciaglymemo));
  line("Maksym_ilosc_lini", s.Emaxlinie);
  line("Kasuj_poczatek", Flag(s.RBautoucinaj));
  line("Drukuj_naglowek_firmy", Flag(s.CBdruk_nazwafirmy));
  line("Dodaj_date_bilansu", Flag(s.CBdata_bilansu));
  line("Jednostka", s.Ljednost);
  return text;
}
