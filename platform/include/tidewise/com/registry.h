#pragma once
// The registry: keys with named string values, kept in one file in the
// folder named by TIDEWISE_HOME. Every change is written back atomically.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tw::com {

// The folder of the registry and the host's settings: TIDEWISE_HOME, else
// $XDG_DATA_HOME/tidewise, else ~/.local/share/tidewise. Created on demand.
std::filesystem::path tidewise_home();

class Registry {
 public:
  using Values = std::map<std::string, std::string>;  // "" is the key's default value

  // Reads the registry of tidewise_home() (empty when the file does not exist).
  static Registry open();
  static Registry open(const std::filesystem::path& file);

  std::optional<std::string> get(std::string_view key, std::string_view name = "") const;
  bool has_key(std::string_view key) const;
  void set(std::string_view key, std::string_view name, std::string_view value);
  // Removes the key and every key below it.
  void remove_tree(std::string_view key);

  void save() const;  // atomically; throws Error on failure

  const std::map<std::string, Values>& keys() const { return keys_; }

 private:
  std::filesystem::path file_;
  std::map<std::string, Values> keys_;
};

}  // namespace tw::com
