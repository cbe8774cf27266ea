#pragma once
// The registry: keys with named string values, kept in one file in the
// folder named by TIDEWISE_HOME. Every change is written back atomically.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tw::com {

// The folder of the registry and the host's settings: TIDEWISE_HOME, else
// $XDG_DATA_HOME/tidewise, else ~/.local/share/tidewise. Created on demand.
std::filesystem::path tidewise_home();
// The registry's file in tidewise_home().
std::filesystem::path registry_path();

class Registry {
 public:
  using Values = std::map<std::string, std::string>;  // "" is the key's default value

  // The registry of tidewise_home() (empty when the file does not exist), as
  // a copy to change and save.
  static Registry open();
  static Registry open(const std::filesystem::path& file);
  // The same for reading only: the file is read once and the reading shared
  // for as long as the file stays the same (inode, size, times). A save from
  // this process or a change by another is seen at the next call.
  static std::shared_ptr<const Registry> current();
  static std::shared_ptr<const Registry> current(const std::filesystem::path& file);

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
