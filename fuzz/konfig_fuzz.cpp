// Any konfig.ini content: every setting ends up within what the program can
// use, what was read is written back and read again unchanged, and reading
// the content from a file in 4 KB pieces gives what reading it whole gives.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/konfig/konfig.h"
#include "fuzz/fuzz_check.h"

namespace {

std::string scratchFile;

bool Same(const KonfigSettings& a, const KonfigSettings& b) {
  return a.Port == b.Port && a.BaudRate == b.BaudRate && a.CompanyName == b.CompanyName &&
         a.CompanyAddress == b.CompanyAddress && a.CBzapis == b.CBzapis &&
         a.CBciaglyplik == b.CBciaglyplik && a.CBciaglymemo == b.CBciaglymemo &&
         a.Emaxlinie == b.Emaxlinie && a.MaxPreviewLines == b.MaxPreviewLines &&
         a.RBautoucinaj == b.RBautoucinaj && a.CBdruk_nazwafirmy == b.CBdruk_nazwafirmy &&
         a.CBdata_bilansu == b.CBdata_bilansu && a.Ljednost == b.Ljednost;
}

bool UsableText(const std::string& text) {
  return !text.empty() && text.size() <= 55 && text.find_first_of("\r\n\x1A") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/konfig-fuzz-XXXXXX";
  const int fd = mkstemp(pattern);
  FUZZ_CHECK(fd >= 0);
  close(fd);
  scratchFile = pattern;
  std::atexit([] { unlink(scratchFile.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  KonfigSettings read;
  ApplyKonfigText(read, content);

  const std::string port = read.Port;
  FUZZ_CHECK(port.size() >= 4 && port.size() <= 5 && port.compare(0, 3, "COM") == 0);
  const int number = std::atoi(port.c_str() + 3);
  FUZZ_CHECK(number >= 1 && number <= 16 && "COM" + std::to_string(number) == port);
  FUZZ_CHECK(read.BaudRate >= br110 && read.BaudRate <= br115200 && read.BaudRate != brCustom);
  FUZZ_CHECK(UsableText(read.CompanyName) && UsableText(read.CompanyAddress));
  FUZZ_CHECK(read.MaxPreviewLines >= 10 && read.MaxPreviewLines <= 5000);
  FUZZ_CHECK(read.Emaxlinie == "300");
  FUZZ_CHECK(read.Ljednost == "kg" || read.Ljednost == "g" || read.Ljednost == "t");

  // Written as the window would write it, then read over other values.
  read.Emaxlinie = std::to_string(read.MaxPreviewLines);
  KonfigSettings again;
  again.Port = "COM9";
  again.BaudRate = br38400;
  again.CompanyName = again.CompanyAddress = "x";
  again.CBzapis = !read.CBzapis;
  again.CBciaglyplik = !read.CBciaglyplik;
  again.CBciaglymemo = !read.CBciaglymemo;
  again.RBautoucinaj = !read.RBautoucinaj;
  again.CBdruk_nazwafirmy = !read.CBdruk_nazwafirmy;
  again.CBdata_bilansu = !read.CBdata_bilansu;
  again.Ljednost = "t";
  again.MaxPreviewLines = 17;
  ApplyKonfigText(again, KonfigText(read));
  again.Emaxlinie = read.Emaxlinie;
  FUZZ_CHECK(Same(again, read));

  // The file reader takes the same bytes in 4 KB pieces; only a longer
  // content can differ (and the file costs time).
  if (size <= 4096) return 0;
  FILE* file = std::fopen(scratchFile.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(content.data(), 1, content.size(), file) == content.size());
  FUZZ_CHECK(std::fclose(file) == 0);
  KonfigSettings loaded;
  LoadKonfig(loaded, scratchFile);
  loaded.Emaxlinie = read.Emaxlinie;
  FUZZ_CHECK(Same(loaded, read));
  return 0;
}
