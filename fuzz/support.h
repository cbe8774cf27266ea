#pragma once
// What the fuzz targets share: a private TIDEWISE_HOME, a stop that libFuzzer
// reports as a crash, and the library's page classes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw::fuzz {

// A temporary TIDEWISE_HOME for the whole run, with nothing shown on screen.
void quiet_private_home();

// A broken promise: reported by libFuzzer with the input that broke it.
[[noreturn]] void broken(std::string_view what, std::string_view detail = {});

// Splits the input at NUL bytes.
std::vector<std::string> split(const std::uint8_t* data, std::size_t size, std::size_t most);

}  // namespace tw::fuzz
