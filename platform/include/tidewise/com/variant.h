#pragma once
// The Variant of the component runtime. Strings are UTF-8.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "tidewise/com/unknown.h"

namespace tw::com {

enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  I2 = 2,
  I4 = 3,
  R8 = 5,
  Date = 7,
  BStr = 8,
  Unknown = 13,
  Bool = 11,
  Array = 0x200C,  // an array of variants
};

class Variant;

// A one-dimensional array with a lower bound.
struct SafeArray {
  std::int32_t lower_bound = 0;
  std::vector<Variant> elements;
};

class Variant {
 public:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };
  struct DateValue {  // days since 1899-12-30, as the platform counts dates
    double days = 0;
    friend bool operator==(DateValue, DateValue) = default;
  };

  Variant() = default;  // Empty
  Variant(const Variant& other);
  Variant(Variant&&) noexcept = default;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&&) noexcept = default;
  ~Variant() = default;

  static Variant null() { return Variant(NullTag{}); }
  static Variant i2(std::int16_t v) { return Variant(v); }
  static Variant i4(std::int32_t v) { return Variant(v); }
  static Variant r8(double v) { return Variant(v); }
  static Variant date(double days) { return Variant(DateValue{days}); }
  static Variant boolean(bool v) { return Variant(BoolValue{to_variant_bool(v)}); }
  static Variant str(std::string v) { return Variant(std::move(v)); }
  static Variant object(ComPtr<IUnknown> v) { return Variant(std::move(v)); }
  static Variant array(std::int32_t lower_bound, std::vector<Variant> elements);

  VarType type() const noexcept;
  bool is_empty() const noexcept { return type() == VarType::Empty; }

  // Typed access: null where the variant holds another type.
  const std::string* as_string() const noexcept { return std::get_if<std::string>(&value_); }
  const std::int16_t* as_i2() const noexcept { return std::get_if<std::int16_t>(&value_); }
  const std::int32_t* as_i4() const noexcept { return std::get_if<std::int32_t>(&value_); }
  const double* as_r8() const noexcept { return std::get_if<double>(&value_); }
  const DateValue* as_date() const noexcept { return std::get_if<DateValue>(&value_); }
  std::optional<bool> as_bool() const noexcept;
  const ComPtr<IUnknown>* as_object() const noexcept {
    return std::get_if<ComPtr<IUnknown>>(&value_);
  }
  const SafeArray* as_array() const noexcept {
    auto* box = std::get_if<std::unique_ptr<SafeArray>>(&value_);
    return box ? box->get() : nullptr;
  }

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct BoolValue {
    VARIANT_BOOL value;
    friend bool operator==(BoolValue, BoolValue) = default;
  };
  using Storage =
      std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, double, DateValue,
                   BoolValue, std::string, ComPtr<IUnknown>, std::unique_ptr<SafeArray>>;

  // Never a Variant itself: a copy from a non-const Variant must reach the
  // copy constructor, not this one. (The constraint does what the check asks
  // for, which knows enable_if but not requires.)
  template <class T>  // NOLINTNEXTLINE(bugprone-forwarding-reference-overload)
  requires(!std::is_same_v<std::remove_cvref_t<T>, Variant>) explicit Variant(T&& v)
      : value_(std::forward<T>(v)) {}

  Storage value_;
};

std::string to_string(VarType type);

}  // namespace tw::com
