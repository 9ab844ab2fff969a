#pragma once

// Plain-struct stand-ins for the main window, its message boxes and the port.

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/acquisition_state.h"
#include "acquisition/scale_port.h"
#include "acquisition/scale_screen.h"
#include "tests/support/ui/scripted_dialogs.h"
#include "tests/support/ui/vector_preview.h"

struct FakeScreen : VectorPreview<ScaleScreen> {
  std::string display = "- - - - -", fileName, panel1, panel1Hint, panel2;
  std::vector<std::string> panel1History, panel2History;
  std::string unit;  // empty: the unit of the settings
  bool inMotion = false, word = false;
  int maxPreviewLines = 300;
  bool ciaglymemo = false, zapis = true, ciaglyplik = false, dataBilansu = true, autoucinaj = true;
  ScriptedDialogs dialogs;

  std::string DisplayCaption() const override { return display; }
  void SetDisplayCaption(const std::string& text) override { display = text; }
  void SetDisplayUnit(const std::string& text) override { unit = text; }
  void SetDisplayInMotion(bool motion) override { inMotion = motion; }
  void SetDisplayShowsWord(bool shown) override { word = shown; }
  std::int32_t MaxPreviewLines() const override { return maxPreviewLines; }
  bool CBciaglymemo() const override { return ciaglymemo; }
  bool CBzapis() const override { return zapis; }
  void SetCBzapis(bool checked) override { zapis = checked; }
  bool CBciaglyplik() const override { return ciaglyplik; }
  bool CBdata_bilansu() const override { return dataBilansu; }
  bool RBautoucinaj() const override { return autoucinaj; }
  std::string Enazwapliku() const override { return fileName; }
  void SetStatusPanel1(const std::string& text) override { panel1History.push_back(panel1 = text); }
  void SetStatusPanel1Hint(const std::string& text) override { panel1Hint = text; }
  void SetStatusPanel2(const std::string& text) override { panel2History.push_back(panel2 = text); }
  Dialogs& Messages() override { return dialogs; }
};

// Each ReadString hands out the next queued chunk (at most `count` bytes);
// WriteString keeps what it was given.
struct FakePort : ScalePort {
  bool connected = false, openFails = false, closeFails = false, readFails = false, writeFails = false;
  std::vector<std::string> written;
  int writeAttempts = 0;
  std::deque<std::string> incoming;
  int reads = 0;
  std::vector<std::string> calls;

  void Open() override {
    calls.push_back("Open");
    if (openFails) throw std::runtime_error("cannot open");
    connected = true;
  }
  void Close() override {
    calls.push_back("Close");
    if (closeFails) throw std::runtime_error("cannot close");
    connected = false;
  }
  bool Connected() const override { return connected; }
  std::string Port() const override { return "COM2"; }
  TBaudRate BaudRate() const override { return br1200; }
  void WriteString(const std::string& bytes) override {
    ++writeAttempts;
    if (writeFails) throw std::runtime_error("WriteFile function failed (win error code: 5)");
    written.push_back(bytes);
  }
  int ReadString(std::string& text, int count) override {
    ++reads;
    if (readFails) throw std::runtime_error("read failed");
    text = incoming.empty() ? "" : incoming.front().substr(0, static_cast<std::size_t>(count));
    if (!incoming.empty() && (incoming.front().erase(0, text.size())).empty()) incoming.pop_front();
    return static_cast<int>(text.size());
  }
};
