#pragma once

// A fresh directory in the temporary folder, removed with its files at the end of a test.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    std::random_device random;
    do {
      path = std::filesystem::temp_directory_path() / ("waga-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path));
  }
  ~TempDir() {
    // A test may have taken the write permission away.
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}
