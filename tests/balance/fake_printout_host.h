#pragma once

// The main window as the printouts see it: plain preview lines, the company
// settings, recorded message boxes and a recording stream (or another one).

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "balance/printout_host.h"
#include "tests/support/printing/recording_print_stream.h"
#include "tests/support/ui/scripted_dialogs.h"
#include "tests/support/ui/vector_preview.h"

struct FakePrintoutHost : VectorPreview<PrintoutHost> {
  bool CompanyHeader = true;
  std::string Name = "<firma>", Address = "<adres>";
  ScriptedDialogs Boxes;
  PrintRecording Recording;
  std::function<std::unique_ptr<PrintStream>()> StreamFactory;

  bool PrintCompanyHeader() const override { return CompanyHeader; }
  std::string CompanyName() const override { return Name; }
  std::string CompanyAddress() const override { return Address; }
  Dialogs& Messages() override { return Boxes; }
  std::unique_ptr<PrintStream> NewPrintStream() override {
    return StreamFactory ? StreamFactory() : std::make_unique<RecordingPrintStream>(Recording);
  }
};

// A balance record as the scale sends it, optionally with the program's stamp.
inline std::string RecordLine(int number, const std::string& mass, const std::string& total,
                              bool stamped = true) {
  char line[96];
  std::snprintf(line, sizeof line, "%03d     %s kg     %s kg%s", number, mass.c_str(), total.c_str(),
                stamped ? "    2024/01/31  12:34" : "");
  return line;
}

// An empty line, title, column header and `count` records of 10.25 kg each.
inline std::vector<std::string> BalanceReport(int count) {
  std::vector<std::string> lines = {"", "  BILANS WAZEN", "  l.wazen    masa    suma"};
  for (int n = 1; n <= count; ++n) {
    char total[16];
    std::snprintf(total, sizeof total, "%d.%02d", n * 1025 / 100, n * 1025 % 100);
    lines.push_back(RecordLine(n, "10.25", total));
  }
  return lines;
}
