#pragma once
// Files for tests: a temporary TIDEWISE_HOME (created empty, removed
// afterwards, the previous value of the variable restored), reading and
// writing whole files, and the test data folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tw::test {

class TempHome {
 public:
  // Named with the process, so that a later test can remove the folders of
  // a test program that was killed before it could remove its own.
  TempHome() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    remove_abandoned(temp);
    std::string pattern =
        (temp / ("tidewise-test-" + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char* old = std::getenv("TIDEWISE_HOME")) previous_ = old;
    ::setenv("TIDEWISE_HOME", path_.c_str(), 1);
  }
  ~TempHome() {
    if (previous_) {
      ::setenv("TIDEWISE_HOME", previous_->c_str(), 1);
    } else {
      ::unsetenv("TIDEWISE_HOME");
    }
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path registry_file() const { return path_ / "registry.json"; }

  static void remove_abandoned(const std::filesystem::path& temp) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(temp, ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::string name = it->path().filename().string();
      constexpr std::string_view kPrefix = "tidewise-test-";
      if (!name.starts_with(kPrefix)) continue;
      const std::string rest = name.substr(kPrefix.size());
      const auto dash = rest.find('-');
      if (dash == std::string::npos || dash == 0 || dash > 9 ||
          rest.find_first_not_of("0123456789") != dash) {
        continue;
      }
      struct stat st {};
      if (::lstat(it->path().c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
      if (::kill(std::stoi(rest.substr(0, dash)), 0) != 0 && errno == ESRCH) {
        std::error_code ignored;
        std::filesystem::remove_all(it->path(), ignored);
      }
    }
  }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  std::optional<std::string> previous_;
};

// A umask for the guard's lifetime.
class Umask {
 public:
  explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
  ~Umask() { ::umask(previous_); }
  Umask(const Umask&) = delete;
  Umask& operator=(const Umask&) = delete;

 private:
  mode_t previous_;
};

inline struct stat stat_of(const std::filesystem::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st;
}
inline mode_t mode_of(const std::filesystem::path& file) {
  return stat_of(file).st_mode & 07777;
}

inline std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
}

// The names in a folder, to see that nothing was left behind.
inline std::vector<std::string> names_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::filesystem::path document_data(std::string_view name) {
  return std::filesystem::path(TIDEWISE_SOURCE_DIR) / "tests/data/document" / name;
}

}  // namespace tw::test
