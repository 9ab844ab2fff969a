#include "serial/ini_file.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "serial/com_texts.h"
#include "serial/int_text.h"
#include "serial/stored_file.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

void CheckName(std::string_view what, std::string_view name) {
  const std::string_view trimmed = Trim(name);
  if (trimmed.empty() || trimmed.size() != name.size() || HasLineBreak(name) ||
      name.find('=') != std::string_view::npos || name.front() == '[' || name.front() == ';')
    throw std::invalid_argument("Invalid INI " + std::string(what) + " name '" +
                                std::string(name) + "'");
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::ifstream in(fileName_, std::ios::binary);
  if (!in) return;
  std::ostringstream content;
  content << in.rdbuf();
  Parse(content.str());
}

void TIniFile::Parse(const std::string& content) {
  sections_.push_back(Section{});
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view raw(content.data() + start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    const std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos ||
        Trim(line.substr(0, equals)).empty()) {
      sections_.back().lines.push_back(Line{{}, {}, std::string(raw)});
      continue;
    }
    sections_.back().lines.push_back(Line{std::string(Trim(line.substr(0, equals))),
                                          std::string(Trim(line.substr(equals + 1))),
                                          {}});
  }
}

TIniFile::Section* TIniFile::FindSection(std::string_view name) {
  // The unnamed first part holds the lines before any section; it is never
  // found by name.
  for (std::size_t i = 1; i < sections_.size(); ++i) {
    if (SameIgnoringCase(sections_[i].name, name)) return &sections_[i];
  }
  return nullptr;
}

TIniFile::Line* TIniFile::FindKey(Section& section, std::string_view key) {
  for (Line& line : section.lines) {
    if (!line.key.empty() && SameIgnoringCase(line.key, key)) return &line;
  }
  return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) {
  if (Section* found = FindSection(section)) {
    if (const Line* line = FindKey(*found, key)) return line->value;
  }
  return std::string(defaultValue);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) {
  if (Section* found = FindSection(section)) {
    if (const Line* line = FindKey(*found, key))
      return TextToInt(line->value).value_or(defaultValue);
  }
  return defaultValue;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  CheckName("section", section);
  CheckName("key", key);
  if (HasLineBreak(value))
    throw std::invalid_argument("Invalid INI value for '" + std::string(key) + "'");

  if (sections_.empty()) sections_.push_back(Section{});
  Section* target = FindSection(section);
  if (!target) {
    sections_.push_back(Section{std::string(section), {}});
    target = &sections_.back();
  }
  if (Line* line = FindKey(*target, key)) {
    line->value = std::string(Trim(value));
  } else {
    // A new key goes after the section's last key, before trailing blank
    // lines that separate it from the next section.
    auto at = target->lines.end();
    while (at != target->lines.begin() && std::prev(at)->key.empty() &&
           Trim(std::prev(at)->text).empty())
      --at;
    target->lines.insert(at, Line{std::string(key), std::string(Trim(value)), {}});
  }
  Save();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::Save() const {
  std::string content;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& section = sections_[i];
    if (i > 0) content += "[" + section.name + "]\n";
    for (const Line& line : section.lines)
      content += line.key.empty() ? line.text + "\n" : line.key + "=" + line.value + "\n";
  }
  if (ReplaceStoredFile(fileName_, content) != 0)
    throw std::runtime_error("Cannot write the file '" + fileName_ + "'");
}
