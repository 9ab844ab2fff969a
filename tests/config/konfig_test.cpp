#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "acquisition/text/win1250.h"
#include "config/konfig/konfig.h"

namespace fs = std::filesystem;

namespace {

class KonfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/konfig_test.XXXXXX";
    dir_ = ::mkdtemp(pattern);
    path_ = (dir_ / "konfig.ini").string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  KonfigSettings Load(const std::string& bytes) {
    Write(bytes);
    KonfigSettings settings;
    LoadKonfig(settings, path_);
    return settings;
  }

  fs::path dir_;
  std::string path_;
};

const char kDefaults[] =
    "Numer_portu=2\r\nPredkosc_transmisji=1200\r\nNazwa_firmy=<firma>\r\n"
    "Adres_firmy=<adres>\r\nZapis_do_pliku=1\r\nZapisuj_display=0\r\n"
    "Wyswietlaj_display=0\r\nMaksym_ilosc_lini=300\r\nKasuj_poczatek=1\r\n"
    "Drukuj_naglowek_firmy=1\r\nDodaj_date_bilansu=1\r\nJednostka=kg\r\n";

TEST_F(KonfigFile, DefaultsAreWrittenByteForByte) {
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
}

TEST_F(KonfigFile, EverySettingSurvivesSaveAndLoad) {
  KonfigSettings changed;
  changed.Port = "COM16";
  changed.BaudRate = br115200;
  changed.CompanyName = Utf8ToCp1250("Zakład Mięsny \"Łódź\" = najlepszy");
  changed.CompanyAddress = Utf8ToCp1250("ul. Źródlana 5, Żywiec");
  changed.CBzapis = false;
  changed.CBciaglyplik = true;
  changed.CBciaglymemo = true;
  changed.Emaxlinie = "0x64";
  changed.RBautoucinaj = false;
  changed.CBdruk_nazwafirmy = false;
  changed.CBdata_bilansu = false;
  changed.Ljednost = "t";
  SaveKonfig(changed, path_);

  KonfigSettings loaded;
  LoadKonfig(loaded, path_);
  EXPECT_EQ(loaded.Port, "COM16");
  EXPECT_EQ(loaded.BaudRate, br115200);
  EXPECT_EQ(loaded.CompanyName, changed.CompanyName);
  EXPECT_EQ(loaded.CompanyAddress, changed.CompanyAddress);
  EXPECT_FALSE(loaded.CBzapis);
  EXPECT_TRUE(loaded.CBciaglyplik);
  EXPECT_TRUE(loaded.CBciaglymemo);
  EXPECT_EQ(loaded.MaxPreviewLines, 100);
  EXPECT_FALSE(loaded.RBautoucinaj);
  EXPECT_FALSE(loaded.CBdruk_nazwafirmy);
  EXPECT_FALSE(loaded.CBdata_bilansu);
  EXPECT_EQ(loaded.Ljednost, "t");
}

TEST_F(KonfigFile, ValuesAreJudgedOnTheirWidthOnly) {
  const std::string longName(60, 'N');
  const KonfigSettings s = Load("Nazwa_firmy=" + longName + "\r\nAdres_firmy=" + longName +
                                "\r\nJednostka=kgram\r\nNumer_portu=0000000000016\r\n"
                                "Maksym_ilosc_lini=000000000050\r\nZapis_do_pliku=1x\r\n");
  EXPECT_EQ(s.CompanyName, std::string(55, 'N'));
  EXPECT_EQ(s.CompanyAddress, std::string(55, 'N'));
  EXPECT_EQ(s.Ljednost, "kg");
  EXPECT_EQ(s.Port, "COM1");  // cut to twelve characters: 000000000001
  EXPECT_EQ(s.MaxPreviewLines, 50);
  EXPECT_FALSE(s.CBzapis);
}

TEST_F(KonfigFile, RefusedValuesChangeNothing) {
  const KonfigSettings s = Load(
      "Numer_portu=0\r\nNumer_portu=17\r\nNumer_portu=abc\r\nNumer_portu=3 \r\n"
      "Predkosc_transmisji=128000\r\nPredkosc_transmisji=9600 \r\n"
      "Maksym_ilosc_lini=9\r\nMaksym_ilosc_lini=5001\r\n"
      "Jednostka=KG\r\nJednostka=g \r\nJednostka=lb\r\n"
      "numer_portu=5\r\n Numer_portu=5\r\nNumer_portu =5\r\n"
      "Nazwa_firmy=\r\nbez znaku rownosci\r\n=7\r\n");
  const KonfigSettings defaults;
  EXPECT_EQ(s.Port, defaults.Port);
  EXPECT_EQ(s.BaudRate, defaults.BaudRate);
  EXPECT_EQ(s.MaxPreviewLines, defaults.MaxPreviewLines);
  EXPECT_EQ(s.Ljednost, defaults.Ljednost);
  EXPECT_EQ(s.CompanyName, "<firma>");
}

TEST_F(KonfigFile, AcceptedFormsAndBounds) {
  KonfigSettings s = Load("Numer_portu=02\r\nPredkosc_transmisji=$3840\r\nMaksym_ilosc_lini= 10\r\n"
                          "Kasuj_poczatek=0\r\nJednostka=g\r\nNazwa_firmy=a=b\r\n");
  EXPECT_EQ(s.Port, "COM2");
  EXPECT_EQ(s.BaudRate, br14400);
  EXPECT_EQ(s.MaxPreviewLines, 10);
  EXPECT_FALSE(s.RBautoucinaj);
  EXPECT_EQ(s.Ljednost, "g");
  EXPECT_EQ(s.CompanyName, "a=b");
  s = Load("Maksym_ilosc_lini=5000\r\nNumer_portu=16\r\n");
  EXPECT_EQ(s.MaxPreviewLines, 5000);
  EXPECT_EQ(s.Port, "COM16");
}

TEST_F(KonfigFile, LastAcceptedDuplicateWins) {
  const KonfigSettings s = Load("Numer_portu=4\r\nNumer_portu=7\r\nNumer_portu=99\r\n"
                                "Jednostka=t\r\nJednostka=kg\r\nJednostka=xx\r\n");
  EXPECT_EQ(s.Port, "COM7");
  EXPECT_EQ(s.Ljednost, "kg");
}

TEST_F(KonfigFile, BareLineFeedsEndLinesToo) {
  const KonfigSettings s = Load("Numer_portu=5\nPredkosc_transmisji=9600\rJednostka=t\r\n"
                                "Zapis_do_pliku=0\n\nKasuj_poczatek=0");
  EXPECT_EQ(s.Port, "COM5");
  EXPECT_EQ(s.BaudRate, br9600);
  EXPECT_EQ(s.Ljednost, "t");
  EXPECT_FALSE(s.CBzapis);
  EXPECT_FALSE(s.RBautoucinaj);  // the last line needs no line end
}

TEST_F(KonfigFile, EndOfFileByteStopsReading) {
  const KonfigSettings s = Load(std::string("Numer_portu=5\r\n\x1AJednostka=t\r\n"));
  EXPECT_EQ(s.Port, "COM5");
  EXPECT_EQ(s.Ljednost, "kg");
}

TEST_F(KonfigFile, MissingFileKeepsEverySetting) {
  KonfigSettings s;
  s.Port = "COM9";
  EXPECT_NO_THROW(LoadKonfig(s, path_));
  EXPECT_EQ(s.Port, "COM9");
}

TEST_F(KonfigFile, UnreadableFileReportsTheSystemsReason) {
  fs::create_directory(path_);
  KonfigSettings s;
  try {
    LoadKonfig(s, path_);
    FAIL() << "no error for a konfig.ini that cannot be read";
  } catch (const KonfigReadError& error) {
    EXPECT_NE(std::string(error.what()).find(std::strerror(EISDIR)), std::string::npos) << error.what();
  }
}

TEST_F(KonfigFile, SaveReplacesTheWholeFileAndLeavesNoTemporary) {
  Write(std::string(5000, 'x'));
  ::chmod(path_.c_str(), 0640);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(KonfigFile, SaveThroughALinkReplacesItsTargetAndKeepsTheLink) {
  const fs::path shared = dir_ / "shared.ini";
  std::ofstream(shared, std::ios::binary) << "old";
  ::chmod(shared.c_str(), 0600);
  fs::create_symlink("shared.ini", path_);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_)));
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(fs::status(shared).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2);
}

TEST_F(KonfigFile, ReadOnlyFileStaysAsItWas) {
  Write("Numer_portu=9\r\n");
  ::chmod(path_.c_str(), 0444);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), "Numer_portu=9\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(KonfigFile, ReadOnlyFolderStaysAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "a superuser writes into any folder";
  Write("Numer_portu=9\r\n");
  ::chmod(dir_.c_str(), 0555);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), "Numer_portu=9\r\n");
}

TEST_F(KonfigFile, FailedSaveLeavesNothingBehind) {
  fs::create_directory(path_);
  fs::create_directory(fs::path(path_) / "inside");  // a non-empty folder cannot be replaced
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

}  // namespace
