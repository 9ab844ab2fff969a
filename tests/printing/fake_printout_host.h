#pragma once

// The main window as the printouts see it: a preview of plain lines, the
// company settings, message boxes that are recorded, and a recording stream
// unless a test supplies another one.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "balance/printout_host.h"
#include "tests/support/printing/recording_print_stream.h"

struct ShownMessage {
  MessageKind Kind;
  std::string Text;
};

class RecordedDialogs : public Dialogs {
 public:
  std::vector<ShownMessage> Shown;

  void ShowMessage(MessageKind kind, const std::string& text) override { Shown.push_back({kind, text}); }
  bool Confirm(const std::string&) override { return false; }
  std::string InputBox(const std::string&, const std::string&, const std::string& preset) override {
    return preset;
  }
  std::optional<std::string> SaveFileName(const std::string&) override { return std::nullopt; }
};

class FakePrintoutHost : public PrintoutHost {
 public:
  std::vector<std::string> Preview;
  bool CompanyHeader = true;
  std::string Name = "<firma>";
  std::string Address = "<adres>";
  RecordedDialogs Boxes;
  PrintRecording Recording;
  std::function<std::unique_ptr<PrintStream>()> StreamFactory;

  int PreviewLineCount() const override { return static_cast<int>(Preview.size()); }
  std::string PreviewLine(int index) const override {
    return index >= 0 && index < PreviewLineCount() ? Preview[index] : std::string();
  }
  bool PrintCompanyHeader() const override { return CompanyHeader; }
  std::string CompanyName() const override { return Name; }
  std::string CompanyAddress() const override { return Address; }
  Dialogs& Messages() override { return Boxes; }
  std::unique_ptr<PrintStream> NewPrintStream() override {
    if (StreamFactory) return StreamFactory();
    return std::make_unique<RecordingPrintStream>(Recording);
  }
};
