#pragma once

// A konfig.ini in a fresh folder of its own, removed after the test.

#include <gtest/gtest.h>

#include <string>

#include "config/konfig/konfig.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

class KonfigFile : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { WriteFile(path_, bytes); }
  std::string Read() const { return ReadFile(path_); }
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

  TempDir temp_;
  const fs::path dir_ = temp_.path;
  const std::string path_ = temp_.File("konfig.ini");
};

inline const char kDefaults[] =
    "Numer_portu=2\r\nPredkosc_transmisji=1200\r\nNazwa_firmy=<firma>\r\n"
    "Adres_firmy=<adres>\r\nZapis_do_pliku=1\r\nZapisuj_display=0\r\n"
    "Wyswietlaj_display=0\r\nMaksym_ilosc_lini=300\r\nKasuj_poczatek=1\r\n"
    "Drukuj_naglowek_firmy=1\r\nDodaj_date_bilansu=1\r\nJednostka=kg\r\n";
