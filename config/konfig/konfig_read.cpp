#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "text/number_text.h"
#include "config/konfig/konfig.h"

namespace {

constexpr char kEndOfFile = 0x1A;
constexpr std::size_t kValueWidth = 12;
constexpr std::size_t kCompanyWidth = 55;
constexpr std::size_t kUnitWidth = 2;

// Only the speeds the program offers are taken.
bool SpeedFromDigits(std::int32_t bitsPerSecond, TBaudRate& rate) {
  for (const BaudRateFacts& facts : kBaudRates) {
    if (IsOfferedRate(facts.rate) && static_cast<std::int32_t>(facts.bitsPerSecond) == bitsPerSecond) {
      rate = facts.rate;
      return true;
    }
  }
  return false;
}

void ApplyLine(KonfigSettings& s, std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos || eq + 1 == line.size()) return;
  const std::string_view key = line.substr(0, eq);
  const std::string_view rest = line.substr(eq + 1);
  const auto value = [&](std::size_t width) { return std::string(rest.substr(0, width)); };
  const auto ticked = [&] { return value(kValueWidth) == "1"; };

  if (key == "Numer_portu") {
    const auto n = TextToInt(value(kValueWidth));
    if (n && *n >= 1 && *n <= 16) s.Port = "COM" + std::to_string(*n);
  } else if (key == "Predkosc_transmisji") {
    const auto n = TextToInt(value(kValueWidth));
    TBaudRate rate;
    if (n && SpeedFromDigits(*n, rate)) s.BaudRate = rate;
  } else if (key == "Nazwa_firmy") {
    s.CompanyName = value(kCompanyWidth);
  } else if (key == "Adres_firmy") {
    s.CompanyAddress = value(kCompanyWidth);
  } else if (key == "Zapis_do_pliku") {
    s.CBzapis = ticked();
  } else if (key == "Zapisuj_display") {
    s.CBciaglyplik = ticked();
  } else if (key == "Wyswietlaj_display") {
    s.CBciaglymemo = ticked();
  } else if (key == "Maksym_ilosc_lini") {
    const auto n = TextToInt(value(kValueWidth));
    if (n && *n >= 10 && *n <= 5000) s.MaxPreviewLines = *n;
  } else if (key == "Kasuj_poczatek") {
    s.RBautoucinaj = ticked();
  } else if (key == "Drukuj_naglowek_firmy") {
    s.CBdruk_nazwafirmy = ticked();
  } else if (key == "Dodaj_date_bilansu") {
    s.CBdata_bilansu = ticked();
  } else if (key == "Jednostka") {
    const std::string unit = value(kUnitWidth);
    if (unit == "kg" || unit == "g" || unit == "t") s.Ljednost = unit;
  }
}

// Splits a byte stream into lines and applies each complete line at once.
// CR, LF and CR LF each end a line (a hand-edited file on Linux has bare LF
// ends, and a value can never hold a line feed); 0x1A ends the file.
class LineFeeder {
 public:
  explicit LineFeeder(KonfigSettings& settings) : settings_(settings) {}

  // False once the end-of-file byte has been met.
  bool Feed(std::string_view bytes) {
    for (const char c : bytes) {
      if (c == kEndOfFile) {
        Finish();
        ended_ = true;
        return false;
      }
      if (c == '\n' && afterCr_) {
        afterCr_ = false;
        continue;
      }
      afterCr_ = c == '\r';
      if (c == '\r' || c == '\n') {
        ApplyLine(settings_, line_);
        line_.clear();
      } else {
        line_ += c;
      }
    }
    return true;
  }

  void Finish() {
    if (ended_) return;
    if (!line_.empty()) ApplyLine(settings_, line_);
    line_.clear();
    ended_ = true;
  }

 private:
  KonfigSettings& settings_;
  std::string line_;
  bool afterCr_ = false;
  bool ended_ = false;
};

std::string Reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

}  // namespace

void ApplyKonfigText(KonfigSettings& settings, const std::string& content) {
  LineFeeder feeder(settings);
  feeder.Feed(content);
  feeder.Finish();
}

void LoadKonfig(KonfigSettings& settings, const std::string& path) {
  // Binary: the line ends and the end-of-file mark are read as they are.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT) return;
    throw KonfigReadError(Reason(path, errno));
  }
  LineFeeder feeder(settings);
  std::array<char, 4096> buffer;
  for (;;) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file);
    if (n == 0 && std::ferror(file)) {
      const int error = errno;
      std::fclose(file);
      throw KonfigReadError(Reason(path, error));
    }
    if (n == 0 || !feeder.Feed(std::string_view(buffer.data(), n))) break;
  }
  feeder.Finish();
  std::fclose(file);
}
