#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "text/win1250.h"
#include "config/konfig/konfig.h"
#include "tests/config/konfig/konfig_test_fixture.h"

namespace {

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
  const std::string what = FolderReadError();
  EXPECT_EQ(what.rfind(path_ + ": ", 0), 0u) << what;
  EXPECT_GT(what.size(), path_.size() + 2) << what;
}

TEST_F(KonfigFile, SaveReplacesTheWholeFileAndLeavesNoTemporary) {
  Write(std::string(5000, 'x'));
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), kDefaults);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(KonfigFile, ReadOnlyFileStaysAsItWas) {
  Write("Numer_portu=9\r\n");
  fs::permissions(path_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_EQ(Read(), "Numer_portu=9\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
  fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(KonfigFile, FailedSaveLeavesNothingBehind) {
  fs::create_directory(path_);
  fs::create_directory(fs::path(path_) / "inside");  // a non-empty folder cannot be replaced
  SaveKonfig(KonfigSettings{}, path_);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

}  // namespace
