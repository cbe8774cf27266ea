#include "tidewise/com/registry.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"

namespace tw::com {

namespace fs = std::filesystem;

fs::path tidewise_home() {
  fs::path home;
  if (std::string value = platform::Environ("TIDEWISE_HOME"); !value.empty()) {
    home = value;
  } else if (std::string xdg = platform::Environ("XDG_DATA_HOME"); !xdg.empty()) {
    home = fs::path(xdg) / "tidewise";
  } else {
    std::string user_home = platform::Environ("HOME");
    home = fs::path(user_home.empty() ? "." : user_home) / ".local" / "share" / "tidewise";
  }
  std::error_code ec;
  fs::create_directories(home, ec);
  if (ec) raise(E_FAIL, "cannot create the folder \"" + home.string() + "\": " + ec.message());
  return home;
}

Registry Registry::open() {
  return open(tidewise_home() / "registry.json");
}

Registry Registry::open(const fs::path& file) {
  Registry registry;
  registry.file_ = file;
  std::ifstream in(file);
  if (!in) {
    const int error = errno;
    // Only a registry that does not exist yet reads as empty: one that cannot
    // be read would otherwise lose every registration at the next save.
    std::error_code ec;
    if (fs::status(file, ec).type() == fs::file_type::not_found) return registry;
    raise(E_FAIL, "cannot read the registry \"" + file.string() + "\": " + std::strerror(error));
  }
  const auto damaged = [&](std::string_view why) {
    raise(E_FAIL, "the registry \"" + file.string() + "\" is damaged: " + std::string(why));
  };
  try {
    const nlohmann::json json = nlohmann::json::parse(in);
    if (!json.is_object()) damaged("it is not an object of keys");
    for (const auto& [key, values] : json.items()) {
      if (!values.is_object()) damaged("the key \"" + key + "\" holds no values");
      Values& target = registry.keys_[key];
      for (const auto& [name, value] : values.items()) target[name] = value.get<std::string>();
    }
  } catch (const nlohmann::json::exception& e) {
    damaged(e.what());
  }
  return registry;
}

std::optional<std::string> Registry::get(std::string_view key, std::string_view name) const {
  const auto k = keys_.find(std::string(key));
  if (k == keys_.end()) return std::nullopt;
  const auto v = k->second.find(std::string(name));
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

bool Registry::has_key(std::string_view key) const {
  return keys_.contains(std::string(key));
}

void Registry::set(std::string_view key, std::string_view name, std::string_view value) {
  keys_[std::string(key)][std::string(name)] = std::string(value);
}

void Registry::remove_tree(std::string_view key) {
  const std::string prefix = std::string(key) + '\\';
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == key || it->first.starts_with(prefix)) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
}

void Registry::save() const {
  nlohmann::json json = nlohmann::json::object();
  for (const auto& [key, values] : keys_) json[key] = values;
  platform::write_file_atomically(file_, json.dump(2) + "\n");
}

}  // namespace tw::com
