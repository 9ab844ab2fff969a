#pragma once

// A folder that stands in for /dev, /proc, /sys, /etc/group and the lock
// folder, removed at the end of a test.

#include <filesystem>
#include <fstream>
#include <string>

#include "ports/system_view.h"
#include "tests/support/temp_dir.h"

struct FakeTree {
  TempDir dir;
  SystemRoots roots;

  FakeTree() {
    roots.dev = Make("dev");
    roots.proc = Make("proc");
    roots.sys = Make("sys");
    roots.groupFile = dir.File("group");
    roots.lockDirs = {Make("lock")};
  }
  std::string Make(const std::string& folder) const {
    std::filesystem::create_directories(dir.path / folder);
    return dir.File(folder);
  }
  // Writes `bytes` to a file below the tree, making its folders.
  std::string Put(const std::string& name, const std::string& bytes = "") const {
    const std::filesystem::path path = dir.path / name;
    std::filesystem::create_directories(path.parent_path());
    WriteFile(path.string(), bytes);
    return path.string();
  }
  std::string Link(const std::string& name, const std::string& target) const {
    const std::filesystem::path path = dir.path / name;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink(target, path);
    return path.string();
  }
};
