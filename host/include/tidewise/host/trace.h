#pragma once
// The record of every call that components make on host objects, one JSON
// object a line: {"call": "IMetadataValues.WriteValue", "args": [...]}.
// Host objects record their members on entry; nothing is recorded while no
// sink is installed.

#include <functional>
#include <nlohmann/json.hpp>
#include <string_view>

#include "tidewise/com/variant.h"

namespace tw::host {

using TraceSink = std::function<void(const nlohmann::json& line)>;

// Returns the sink that was installed before.
TraceSink set_trace_sink(TraceSink sink);
bool tracing();

// Records a call; the arguments are built only while somebody traces. A
// trace that cannot be recorded never fails the call it describes.
void record(std::string_view call, nlohmann::json args);
template <class MakeArgs>
void trace(std::string_view call, MakeArgs&& make_args) noexcept {
  if (!tracing()) return;
  try {
    record(call, std::forward<MakeArgs>(make_args)());
  } catch (...) {
  }
}

// Strings as strings, numbers as numbers, booleans as booleans, Empty and
// Null as null, arrays as arrays, objects as "<object>".
nlohmann::json to_json(const com::Variant& value);

}  // namespace tw::host
