#include <cstdio>
#include <optional>

#include "tidewise/com/error.h"
#include "tidewise/com/guid.h"
#include "tidewise/com/hresult.h"
#include "tidewise/com/variant.h"

namespace tw::com {

std::string hresult_hex(HRESULT hr) {
  char buffer[11];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
  return buffer;
}

std::string hresult_name(HRESULT hr) {
  struct Named {
    HRESULT code;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {S_OK, "S_OK"},
      {S_FALSE, "S_FALSE"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_POINTER, "E_POINTER"},
      {E_ABORT, "E_ABORT"},
      {E_FAIL, "E_FAIL"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {E_ACCESSDENIED, "E_ACCESSDENIED"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_BADINDEX, "DISP_E_BADINDEX"},
      {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
      {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
      {CO_E_CLASSSTRING, "CO_E_CLASSSTRING"},
      {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND"},
      {CO_E_ERRORINDLL, "CO_E_ERRORINDLL"},
      {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
  };
  for (const Named& n : kNames) {
    if (n.code == hr) return n.name;
  }
  return hresult_hex(hr);
}

std::string to_string(const GUID& guid) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "{";
  for (std::size_t i = 0; i < guid.bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[guid.bytes[i] >> 4];
    text += kHex[guid.bytes[i] & 0xF];
  }
  text += '}';
  return text;
}

namespace {
thread_local std::optional<ErrorInfo> current_error;
}

void SetErrorInfo(ErrorInfo info) {
  current_error = std::move(info);
}

std::optional<ErrorInfo> GetErrorInfo() {
  return std::exchange(current_error, std::nullopt);
}

void ClearErrorInfo() {
  current_error.reset();
}

std::string Error::interface_name() const {
  const auto dot = member_.find('.');
  return dot == std::string::npos ? std::string() : member_.substr(0, dot);
}

std::string Error::message() const {
  if (!member_.empty()) return what();
  return std::string(what()) + " (" + hresult_hex(code_) + ")";
}

MemberFailure::MemberFailure(const std::string& member, HRESULT code,
                             const std::string& description)
    : Error(member + " failed (" + hresult_hex(code) + ")" +
                (description.empty() ? "" : ": " + description),
            code, description, {}, member) {}

void raise(HRESULT code, const std::string& description) {
  throw Error(code, description);
}

void check(HRESULT hr, std::string_view member) {
  if (succeeded(hr)) return;
  std::optional<ErrorInfo> info = GetErrorInfo();
  if (info && !info->source.empty()) {
    throw Error(hr, info->description, std::move(info->source));
  }
  std::string description = std::string(member) + ": ";
  description += info ? info->description : "failed with " + hresult_name(hr);
  throw Error(hr, description, std::string(member));
}

void call(HRESULT hr, std::string_view member) {
  if (succeeded(hr)) return;
  const std::optional<ErrorInfo> info = GetErrorInfo();
  throw MemberFailure(std::string(member), hr, info ? info->description : std::string());
}

// ---- Variant

Variant::Variant(const Variant& other) {
  if (const SafeArray* array = other.as_array()) {
    value_ = std::make_unique<SafeArray>(*array);
  } else {
    std::visit(
        [this](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (!std::is_same_v<T, std::unique_ptr<SafeArray>>) value_ = v;
        },
        other.value_);
  }
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    value_ = std::move(copy.value_);
  }
  return *this;
}

Variant Variant::array(std::int32_t lower_bound, std::vector<Variant> elements) {
  return Variant(std::make_unique<SafeArray>(SafeArray{lower_bound, std::move(elements)}));
}

VarType Variant::type() const noexcept {
  static constexpr VarType kTypes[] = {
      VarType::Empty, VarType::Null, VarType::I2,   VarType::I4,      VarType::R8,
      VarType::Date,  VarType::Bool, VarType::BStr, VarType::Unknown, VarType::Array};
  return kTypes[value_.index()];
}

std::optional<bool> Variant::as_bool() const noexcept {
  if (auto* b = std::get_if<BoolValue>(&value_)) return from_variant_bool(b->value);
  return std::nullopt;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type() != b.type()) return false;
  if (const SafeArray* x = a.as_array()) {
    const SafeArray* y = b.as_array();
    return x->lower_bound == y->lower_bound && x->elements == y->elements;
  }
  return a.value_ == b.value_;
}

std::string to_string(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::I2:
      return "Integer";
    case VarType::I4:
      return "Long";
    case VarType::R8:
      return "Double";
    case VarType::Date:
      return "Date";
    case VarType::BStr:
      return "String";
    case VarType::Unknown:
      return "Object";
    case VarType::Bool:
      return "Boolean";
    case VarType::Array:
      return "Array";
  }
  return "Unknown";
}

}  // namespace tw::com
