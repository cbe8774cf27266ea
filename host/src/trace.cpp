#include "tidewise/host/trace.h"

namespace tw::host {

namespace {
TraceSink& sink() {
  static TraceSink installed;
  return installed;
}
}  // namespace

TraceSink set_trace_sink(TraceSink s) {
  return std::exchange(sink(), std::move(s));
}

bool tracing() {
  return static_cast<bool>(sink());
}

void record(std::string_view call, nlohmann::json args) {
  if (const TraceSink& s = sink()) s({{"call", call}, {"args", std::move(args)}});
}

nlohmann::json to_json(const com::Variant& value) {
  using com::VarType;
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
      return nullptr;
    case VarType::I2:
      return *value.as_i2();
    case VarType::I4:
      return *value.as_i4();
    case VarType::R8:
      return *value.as_r8();
    case VarType::Date:
      return value.as_date()->days;
    case VarType::Bool:
      return *value.as_bool();
    case VarType::BStr:
      return *value.as_string();
    case VarType::Unknown:
      return "<object>";
    case VarType::Array: {
      nlohmann::json items = nlohmann::json::array();
      for (const com::Variant& item : value.as_array()->elements) items.push_back(to_json(item));
      return items;
    }
  }
  return nullptr;
}

}  // namespace tw::host
