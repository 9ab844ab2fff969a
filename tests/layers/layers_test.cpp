// The folders keep to the map of docs/architecture.md: every #include of
// every source file names a folder its layer may use, and no Qt header
// stands in a folder free of Qt.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace {

struct Layer {
  std::string folder;             // "config/konfig/"
  std::vector<std::string> uses;  // folders it may include from
  bool usesAnything = false;      // "*"
  bool qt = false;                // may include Qt headers
};

namespace fs = std::filesystem;

std::vector<std::string> Quoted(const std::string& cell) {
  static const std::regex kQuoted("`([^`]+)`");
  std::vector<std::string> words;
  for (std::sregex_iterator it(cell.begin(), cell.end(), kQuoted), end; it != end; ++it) {
    words.push_back((*it)[1]);
  }
  return words;
}

// The row whose folder is the longest start of `path`.
const Layer* LayerOf(const std::string& path, const std::vector<Layer>& map) {
  const Layer* best = nullptr;
  for (const Layer& layer : map) {
    if (path.starts_with(layer.folder) && (!best || layer.folder.size() > best->folder.size())) {
      best = &layer;
    }
  }
  return best;
}

bool IsSource(const fs::path& file) {
  const std::string ext = file.extension().string();
  return ext == ".cpp" || ext == ".h" || ext == ".c";
}

// Hidden, a build of its own, or one of the scripts' build folders at the
// top (build, build-asan, build-windows with its cross-built GoogleTest...):
// not part of the sources.
bool Skipped(const fs::directory_entry& entry, int depth) {
  const std::string name = entry.path().filename().string();
  return name.starts_with('.') || fs::exists(entry.path() / "CMakeCache.txt") ||
         (depth == 0 && name.starts_with("build"));
}

void CheckFile(const fs::path& root, const fs::path& file, const std::vector<Layer>& map,
               std::vector<std::string>& faults) {
  const std::string path = fs::relative(file, root).generic_string();
  const Layer* layer = LayerOf(path, map);
  if (!layer) {
    faults.push_back(path + " lies in no folder of the map");
    return;
  }
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_search(line, m, kInclude)) continue;
    const std::string header = m[2];
    if (m[1] == "<") {
      if (!layer->qt && header.starts_with('Q')) {
        faults.push_back(path + " includes the Qt header <" + header + ">, but " + layer->folder +
                         " is free of Qt");
      }
      continue;
    }
    // A bare name is a header of the file's own folder.
    if (header.find('/') == std::string::npos || !fs::exists(root / header)) continue;
    const Layer* used = LayerOf(header, map);
    if (!used || used == layer || layer->usesAnything) continue;
    if (std::find(layer->uses.begin(), layer->uses.end(), used->folder) != layer->uses.end()) continue;
    faults.push_back(path + " includes " + header + ", but " + layer->folder + " may not use " +
                     used->folder);
  }
}

// The rows between the map's markers; none without them.
std::vector<Layer> ReadLayerMap(const std::string& markdown) {
  const std::size_t begin = markdown.find("<!-- layers: begin -->");
  const std::size_t end = markdown.find("<!-- layers: end -->");
  std::vector<Layer> map;
  if (begin == std::string::npos || end == std::string::npos) return map;
  // | `folder/` | owns | may use | Qt |
  static const std::regex kRow(R"(^\|\s*`([^`]+)`\s*\|[^|]*\|([^|]*)\|([^|]*)\|)");
  std::stringstream in(markdown.substr(begin, end - begin));
  std::string row;
  std::smatch m;
  while (std::getline(in, row)) {
    if (!std::regex_search(row, m, kRow)) continue;
    Layer layer{m[1], {}, false, m[3].str().find("yes") != std::string::npos};
    for (const std::string& use : Quoted(m[2])) {
      if (use == "*") layer.usesAnything = true;
      else layer.uses.push_back(use);
    }
    map.push_back(layer);
  }
  return map;
}

// One sentence per fault under `root`: a file in no folder of the map, an
// include from a folder its layer may not use, a Qt header where there is
// no Qt.
std::vector<std::string> CheckLayers(const fs::path& root, const std::vector<Layer>& map) {
  std::vector<std::string> faults;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    if (it->is_directory() && Skipped(*it, it.depth())) {
      it.disable_recursion_pending();
    } else if (it->is_regular_file() && IsSource(it->path())) {
      CheckFile(root, it->path(), map, faults);
    }
  }
  std::sort(faults.begin(), faults.end());
  return faults;
}

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Layers, TheSourcesKeepToTheMapOfTheArchitecture) {
  const fs::path root = WAGA_SOURCE_DIR;
  const std::vector<Layer> map = ReadLayerMap(ReadFile((root / "docs/architecture.md").string()));
  ASSERT_GT(map.size(), 10u) << "docs/architecture.md has no map between its layers markers";
  EXPECT_THAT(CheckLayers(root, map), IsEmpty());
}

// The check itself, on a small tree with one fault of each kind.
TEST(Layers, TheCheckFindsEachKindOfFault) {
  const std::vector<Layer> map = ReadLayerMap(
      "<!-- layers: begin -->\n"
      "| folder | owns | may use | Qt |\n|---|---|---|---|\n"
      "| `low/` | the bottom | — | no |\n"
      "| `mid/` | uses `low/` | `low/` | no |\n"
      "| `mid/ui/` | a window | `mid/` `low/` | yes |\n"
      "| `top/` | everything | `*` | yes |\n"
      "<!-- layers: end -->\n");
  ASSERT_EQ(map.size(), 4u);
  TempDir dir;
  const auto put = [&dir](const std::string& name, const std::string& text) {
    fs::create_directories((dir.path / name).parent_path());
    WriteFile(dir.File(name), text);
  };
  put("low/a.h", "#include <vector>\n#include \"mid/b.h\"\n");
  put("mid/b.h", "#include \"low/a.h\"\n#include \"b_local.h\"\n  #  include <QString>\n");
  put("mid/ui/c.cpp", "#include <QWidget>\n#include \"mid/b.h\"\n#include \"top/d.h\"\n");
  put("top/d.h", "#include \"mid/ui/c.h\"\n");
  put("stray/e.cpp", "");
  put("out/CMakeCache.txt", "");
  put("out/f.cpp", "#include \"top/d.h\"\n");
  put("build-cross/include/g.h", "#include \"top/d.h\"\n");
  EXPECT_THAT(CheckLayers(dir.path, map),
              ElementsAre("low/a.h includes mid/b.h, but low/ may not use mid/",
                          "mid/b.h includes the Qt header <QString>, but mid/ is free of Qt",
                          "mid/ui/c.cpp includes top/d.h, but mid/ui/ may not use top/",
                          "stray/e.cpp lies in no folder of the map"));
}

}  // namespace
