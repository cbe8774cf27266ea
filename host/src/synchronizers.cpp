#include "tidewise/host/synchronizers.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tidewise/com/registry.h"
#include "tidewise/host/trace.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;
using com::raise;
using nlohmann::json;

namespace {

constexpr std::string_view kSection = "synchronizers";

[[noreturn]] void damaged(const fs::path& file, std::string_view why) {
  raise(com::E_FAIL, "the settings file \"" + file.string() + "\" is damaged: " + std::string(why));
}

// The whole settings document; a missing file holds no settings. Other
// settings than ours are kept as they are when the file is written back.
json read_settings(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!fs::exists(file, ec) && !ec) return json::object();
    raise(com::E_FAIL, "cannot read the settings file \"" + file.string() + "\"");
  }
  std::ostringstream content;
  content << in.rdbuf();
  json settings;
  try {
    settings = json::parse(content.str());
  } catch (const json::exception& e) {
    damaged(file, e.what());
  }
  if (!settings.is_object()) damaged(file, "it does not hold an object");
  if (const auto section = settings.find(kSection); section != settings.end()) {
    if (!section->is_object()) damaged(file, "\"synchronizers\" is not an object");
    for (const std::string_view name : SynchronizerList::names()) {
      const auto flag = section->find(name);
      if (flag != section->end() && !flag->is_boolean()) {
        damaged(file, "the flag of \"" + std::string(name) + "\" is not true or false");
      }
    }
  }
  return settings;
}

}  // namespace

fs::path settings_path() {
  return com::tidewise_home() / "settings.json";
}

// ---- One synchronizer

HRESULT Synchronizer::get_DisplayName(std::string* name) noexcept {
  trace("ISynchronizer.DisplayName", [&] { return json::array(); });
  return com::boundary("ISynchronizer.DisplayName", [&] { com::out_param(name) = name_; });
}

// ---- The list

const std::vector<std::string_view>& SynchronizerList::names() {
  static const std::vector<std::string_view> kNames = {
      "ISO Metadata Synchronizer",
      "Item Description Synchronizer",
      "Geography Synchronizer",
  };
  return kNames;
}

SynchronizerList::SynchronizerList() : SynchronizerList(settings_path()) {}

SynchronizerList::SynchronizerList(fs::path settings_file)
    : settings_file_(std::move(settings_file)) {
  const json settings = read_settings(settings_file_);
  const json section = settings.value(kSection, json::object());
  for (const std::string_view name : names()) {
    enabled_.push_back(section.value(name, true));
  }
}

std::size_t SynchronizerList::checked_index(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= enabled_.size()) {
    raise(com::DISP_E_BADINDEX, "no synchronizer has the index " + std::to_string(index));
  }
  return static_cast<std::size_t>(index);
}

HRESULT SynchronizerList::get_Count(std::int32_t* count) noexcept {
  trace("ISynchronizerList.Count", [&] { return json::array(); });
  return com::boundary("ISynchronizerList.Count",
                       [&] { com::out_param(count) = static_cast<std::int32_t>(enabled_.size()); });
}

HRESULT SynchronizerList::Item(std::int32_t index, ISynchronizer** synchronizer) noexcept {
  trace("ISynchronizerList.Item", [&] { return json::array({index}); });
  return com::boundary("ISynchronizerList.Item", [&] {
    ISynchronizer*& out = com::out_param(synchronizer);
    const std::size_t i = checked_index(index);
    out = com::make_object<Synchronizer>(std::string(names()[i])).detach();
  });
}

HRESULT SynchronizerList::IsEnabled(std::int32_t index, VARIANT_BOOL* enabled) noexcept {
  trace("ISynchronizerList.IsEnabled", [&] { return json::array({index}); });
  return com::boundary("ISynchronizerList.IsEnabled", [&] {
    VARIANT_BOOL& out = com::out_param(enabled);
    out = com::to_variant_bool(enabled_[checked_index(index)]);
  });
}

HRESULT SynchronizerList::SetEnabled(std::int32_t index, VARIANT_BOOL enabled) noexcept {
  trace("ISynchronizerList.SetEnabled", [&] {
    return json::array({index, com::from_variant_bool(enabled)});
  });
  return com::boundary("ISynchronizerList.SetEnabled", [&] {
    const std::size_t i = checked_index(index);
    const bool on = com::from_variant_bool(enabled);
    // Read again so that settings written since this list was made survive.
    json settings = read_settings(settings_file_);
    settings[kSection][names()[i]] = on;
    platform::WriteOptions options;
    options.new_file_mode = 0600;
    platform::write_file_atomically(settings_file_, settings.dump(2) + "\n", options);
    enabled_[i] = on;
  });
}

}  // namespace tw::host
