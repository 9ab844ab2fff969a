#pragma once

// An INI file on disk: "[section]" lines, each followed by "key=value" lines.
// The file is read once when the object is made (a missing file is an empty
// one); every write updates the file at once. Lines ending in CR LF or LF are
// read, blanks around keys, "=" and values are dropped, section and key names
// compare without regard to letter case, and lines that are no key (comments,
// blank lines) are kept as they are.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "serial/settings_store.h"

class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) override;
  // Throws std::invalid_argument for a name or value that would break the
  // file's lines, and std::runtime_error when the file cannot be written.
  void WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) override;
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value) override;

 private:
  struct Line {
    std::string key;  // empty for a line that is no key
    std::string value;
    std::string text;  // the line as read, for lines that are no key
  };
  struct Section {
    std::string name;  // empty for the lines before the first section
    std::vector<Line> lines;
  };

  void Parse(const std::string& content);
  void Save() const;
  Section* FindSection(std::string_view name);
  static Line* FindKey(Section& section, std::string_view key);

  std::string fileName_;
  std::vector<Section> sections_;
};
