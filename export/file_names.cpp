#include "export/file_names.h"

namespace {

std::size_t NameStart(std::string_view path) {
  const std::size_t separator = path.find_last_of(kFolderSeparators);
  return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::string FolderOf(std::string_view path) {
  const std::size_t start = NameStart(path);
  if (start == 0) return {};
  return start == 1 ? std::string(path.substr(0, 1)) : std::string(path.substr(0, start - 1));
}

std::string NameOf(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  const bool separated = std::string_view(kFolderSeparators).find(folder.back()) != std::string_view::npos;
  return separated ? folder + name : folder + "/" + name;
}

std::string ExtensionOf(std::string_view path) {
  const std::string name = NameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}
