#pragma once

// A konfig.ini in a fresh folder of its own, removed after the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "config/konfig/konfig.h"

namespace fs = std::filesystem;

class KonfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    do {
      dir_ = fs::temp_directory_path() / ("konfig_test." + std::to_string(random()));
    } while (!fs::create_directory(dir_));
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
  // The message of the error that loading a konfig.ini which is a folder
  // raises; empty when none is raised.
  std::string FolderReadError() {
    fs::create_directory(path_);
    KonfigSettings s;
    try {
      LoadKonfig(s, path_);
    } catch (const KonfigReadError& error) {
      return error.what();
    }
    return {};
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

inline const char kDefaults[] =
    "Numer_portu=2\r\nPredkosc_transmisji=1200\r\nNazwa_firmy=<firma>\r\n"
    "Adres_firmy=<adres>\r\nZapis_do_pliku=1\r\nZapisuj_display=0\r\n"
    "Wyswietlaj_display=0\r\nMaksym_ilosc_lini=300\r\nKasuj_poczatek=1\r\n"
    "Drukuj_naglowek_firmy=1\r\nDodaj_date_bilansu=1\r\nJednostka=kg\r\n";
