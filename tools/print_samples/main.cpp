// print_samples <folder>: prints "Drukuj bilans", "Drukuj szczegółowy bilans"
// and "Drukuj" for a preview that holds a stamped balance report of twelve
// weighings, into bilans.pdf, szczegolowy-bilans.pdf and raport.pdf.

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "text/clock.h"
#include "text/win1250.h"
#include "balance/printouts.h"
#include "view/dialogs.h"
#include "platform/qt_print_stream.h"

namespace {

class ConsoleDialogs : public Dialogs {
 public:
  void ShowMessage(MessageKind, const std::string& text) override {
    std::fprintf(stderr, "%s\n", Cp1250ToUtf8(text).c_str());
  }
  bool Confirm(const std::string&) override { return false; }
  std::string InputBox(const std::string&, const std::string&, const std::string& preset) override {
    return preset;
  }
  std::optional<std::string> SaveFileName(const std::string&) override { return std::nullopt; }
};

class SampleHost : public PrintoutHost {
 public:
  explicit SampleHost(std::vector<std::string> preview) : preview_(std::move(preview)) {}

  void PrintTo(std::string path) { path_ = std::move(path); }

  int PreviewLineCount() const override { return static_cast<int>(preview_.size()); }
  std::string PreviewLine(int index) const override {
    return index >= 0 && index < PreviewLineCount() ? preview_[index] : std::string();
  }
  void DeleteFirstPreviewLines(int count) override {
    preview_.erase(preview_.begin(), preview_.begin() + std::min(count, PreviewLineCount()));
  }
  void ClearPreview() override { preview_.clear(); }
  void AddPreviewLine(const std::string& line) override { preview_.push_back(line); }
  bool PrintCompanyHeader() const override { return true; }
  std::string CompanyName() const override {
    return Utf8ToCp1250("Skup Zbóż \"Łan\" Sp. z o.o.");
  }
  std::string CompanyAddress() const override {
    return Utf8ToCp1250("ul. Żniwna 12, 62-200 Gniezno");
  }
  Dialogs& Messages() override { return dialogs_; }
  std::unique_ptr<PrintStream> NewPrintStream() override {
    return std::make_unique<QtPrintStream>(path_);
  }

 private:
  std::vector<std::string> preview_;
  std::string path_;
  ConsoleDialogs dialogs_;
};

// The preview after a morning's work: two readings shown as text, then the
// scale's balance report with the reception stamps the program added.
std::vector<std::string> SimulatedPreview() {
  std::vector<std::string> lines = {"  1250.5 kg", "  1250.5 kg", "", "  BILANS WAZEN",
                                    "  l.wazen    masa    suma"};
  const int masses[] = {124550, 98720, 131005, 87640, 112380, 104910,
                        95275,  126430, 118005, 90860, 101745, 133520};
  long total = 0;
  int minute = 2;
  for (int n = 1; n <= 12; ++n) {
    const int mass = masses[n - 1] / 10;  // in hundredths of a kilogram
    total += mass;
    char massText[32], totalText[32], line[128];
    std::snprintf(massText, sizeof massText, "%d.%02d", mass / 100, mass % 100);
    std::snprintf(totalText, sizeof totalText, "%ld.%02ld", total / 100, total % 100);
    std::snprintf(line, sizeof line, "%03d  %9s kg  %10s kg    2024/01/31  10:%02d", n, massText,
                  totalText, minute);
    minute += 3;
    lines.emplace_back(line);
  }
  return lines;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  const std::string folder = argc > 1 ? argv[1] : ".";
  SetClock([] { return EncodeDateTime({2024, 1, 31, 10, 41, 7, 0}); });

  SampleHost host(SimulatedPreview());
  host.PrintTo(folder + "/bilans.pdf");
  BBdrukuj_bilansClick(host);
  host.PrintTo(folder + "/szczegolowy-bilans.pdf");
  BBdrukuj_szczbilansClick(host);
  host.PrintTo(folder + "/raport.pdf");
  BBdrukujClick(host);
  return 0;
}
