#pragma once
// A temporary folder for one test, which is also its TIDEWISE_HOME; removed
// afterwards and the previous TIDEWISE_HOME restored.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tw::test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tidewise-host-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char* old = std::getenv("TIDEWISE_HOME")) previous_home_ = old;
    ::setenv("TIDEWISE_HOME", path_.c_str(), 1);
  }
  ~TempFolder() {
    if (previous_home_) {
      ::setenv("TIDEWISE_HOME", previous_home_->c_str(), 1);
    } else {
      ::unsetenv("TIDEWISE_HOME");
    }
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  std::vector<std::string> names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
  std::optional<std::string> previous_home_;
};

inline std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
}

inline std::filesystem::path document_data(std::string_view name) {
  return std::filesystem::path(TIDEWISE_SOURCE_DIR) / "tests/data/document" / name;
}

}  // namespace tw::test
