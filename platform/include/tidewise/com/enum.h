#pragma once
// Enumeration of a collection's items as Variants.

#include <cstdint>

#include "tidewise/com/variant.h"

namespace tw::com {

struct IEnumVARIANT : IUnknown {
  static constexpr GUID IID = guid("{00020404-0000-0000-C000-000000000046}");
  static constexpr std::string_view Name = "IEnumVARIANT";

  // Fills up to `count` items; S_FALSE when fewer were left.
  virtual HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) noexcept = 0;
  virtual HRESULT Skip(std::uint32_t count) noexcept = 0;
  virtual HRESULT Reset() noexcept = 0;
  virtual HRESULT Clone(IEnumVARIANT** copy) noexcept = 0;

 protected:
  ~IEnumVARIANT() = default;
};

}  // namespace tw::com
