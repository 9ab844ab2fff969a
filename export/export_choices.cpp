#include "export/export_choices.h"

#include <fstream>

#include "serial/stored_file.h"

namespace {

constexpr const char* kFormatKey = "Format=";
constexpr const char* kFolderKey = "Katalog=";

}  // namespace

ExportChoices LoadExportChoices(const std::string& path) {
  ExportChoices choices;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(kFormatKey)) {
      const std::string value = line.substr(std::char_traits<char>::length(kFormatKey));
      if (value == "xlsx") choices.format = ExportFormat::Xlsx;
      if (value == "csv") choices.format = ExportFormat::Csv;
    } else if (line.starts_with(kFolderKey)) {
      choices.folder = line.substr(std::char_traits<char>::length(kFolderKey));
    }
  }
  return choices;
}

bool SaveExportChoices(const ExportChoices& choices, const std::string& path) {
  const std::string text = std::string(kFormatKey) + (choices.format == ExportFormat::Csv ? "csv" : "xlsx") +
                           "\r\n" + kFolderKey + choices.folder + "\r\n";
  return ReplaceStoredFile(path, text) == 0;
}
