#pragma once
// The host's metadata synchronizers. Whether each one is on is a setting of
// the host, kept in TIDEWISE_HOME/settings.json, so that switching one off
// lasts across runs.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"

namespace tw::host {

class Synchronizer final : public com::Object<Synchronizer, ISynchronizer> {
 public:
  explicit Synchronizer(std::string name) : name_(std::move(name)) {}

  HRESULT get_DisplayName(std::string* name) noexcept override;

 private:
  std::string name_;
};

class SynchronizerList final : public com::Object<SynchronizerList, ISynchronizerList> {
 public:
  // The host's synchronizers, in the order the list gives them.
  static const std::vector<std::string_view>& names();

  // Reads the flags from the settings file; throws Error (E_FAIL) if the
  // file is damaged.
  SynchronizerList();
  explicit SynchronizerList(std::filesystem::path settings_file);

  HRESULT get_Count(std::int32_t* count) noexcept override;
  HRESULT Item(std::int32_t index, ISynchronizer** synchronizer) noexcept override;
  HRESULT IsEnabled(std::int32_t index, VARIANT_BOOL* enabled) noexcept override;
  HRESULT SetEnabled(std::int32_t index, VARIANT_BOOL enabled) noexcept override;

  bool enabled(std::size_t index) const { return enabled_.at(index); }

 private:
  std::size_t checked_index(std::int32_t index) const;

  std::filesystem::path settings_file_;
  std::vector<bool> enabled_;
};

// The settings file of the host in tidewise_home().
std::filesystem::path settings_path();

}  // namespace tw::host
