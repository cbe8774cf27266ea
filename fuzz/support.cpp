#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tidewise/platform.h"

namespace tw::fuzz {

void quiet_private_home() {
  static const std::string home = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tidewise-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) broken("mkdtemp failed");
    // A run that ends removes it; one that crashes leaves it beside its
    // artifact.
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(std::getenv("TIDEWISE_HOME"), ec);
    });
    return pattern;
  }();
  ::setenv("TIDEWISE_HOME", home.c_str(), 1);
  platform::set_msgbox_handler(
      [](std::string_view, int, std::string_view) { return platform::kAnswerOk; });
}

void broken(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "broken: %.*s\n%s\n", static_cast<int>(what.size()), what.data(),
               platform::shown(detail).c_str());
  __builtin_trap();
}

std::vector<std::string> split(const std::uint8_t* data, std::size_t size, std::size_t most) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      parts.back() += static_cast<char>(data[i]);
    } else if (parts.size() == most) {
      break;
    } else {
      parts.emplace_back();
    }
  }
  return parts;
}

}  // namespace tw::fuzz
