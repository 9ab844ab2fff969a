#include "tools/waga-sim/porty_ini.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string Key(const std::string& line) {
  const auto eq = line.find('=');
  if (eq == std::string::npos) return {};
  std::string key;
  for (char c : line.substr(0, eq))
    if (c != ' ' && c != '\t') key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return key;
}

}  // namespace

bool WritePortyIni(const std::string& dir, const std::string& com, const std::string& path,
                   std::string& error) {
  const std::filesystem::path file = std::filesystem::path(dir) / "porty.ini";
  std::string wanted = com;
  std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });

  std::vector<std::string> lines;
  bool replaced = false;
  {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (Key(line) == wanted) {
        if (replaced) continue;  // one line per name
        line = com + "=" + path;
        replaced = true;
      }
      lines.push_back(line);
    }
  }
  if (!replaced) lines.push_back(com + "=" + path);

  const std::filesystem::path temporary = file.string() + ".waga-sim";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << '\n';
    out.flush();
    if (!out) {
      error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    error = "cannot write " + file.string() + ": " + ec.message();
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}
