#pragma once
// The page as `tidewise show --json` and the editor's server print it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string_view>

namespace tw::test {

// The control of that name; a test failure (and an empty value) when the
// page has none.
inline const nlohmann::json& control(const nlohmann::json& page, std::string_view name) {
  for (const nlohmann::json& c : page.at("controls")) {
    if (c.at("name") == name) return c;
  }
  static const nlohmann::json none;
  ADD_FAILURE() << "no control " << name;
  return none;
}

}  // namespace tw::test
