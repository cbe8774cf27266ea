#pragma once
// Class, interface and library identifiers, read from and written as
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tw::com {

struct GUID {
  std::array<std::uint8_t, 16> bytes{};  // in the order they are written
  // clang-tidy 14 takes the literal 0 a defaulted <=> compares its result with
  // for a null pointer.
  // NOLINTNEXTLINE(modernize-use-nullptr)
  friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};

namespace detail {
constexpr int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace detail

// Accepts the braced form only; anything else is no identifier.
constexpr std::optional<GUID> parse_guid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  GUID guid;
  std::size_t byte = 0;
  for (std::size_t i = 1; i < 37;) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    const int hi = detail::hex_digit(text[i]);
    const int lo = detail::hex_digit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    guid.bytes[byte++] = static_cast<std::uint8_t>(hi * 16 + lo);
    i += 2;
  }
  return guid;
}

// For identifiers written in the source: a malformed one stops the build.
consteval GUID guid(std::string_view text) {
  const auto parsed = parse_guid(text);
  if (!parsed) throw std::invalid_argument("malformed GUID literal");
  return *parsed;
}

std::string to_string(const GUID& guid);  // upper-case hex, braced

struct GuidHash {
  std::size_t operator()(const GUID& g) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (auto b : g.bytes) h = (h ^ b) * 1099511628211ull;
    return h;
  }
};

}  // namespace tw::com
