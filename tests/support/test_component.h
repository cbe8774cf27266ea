#pragma once
// The interfaces and identifiers of the small component library that the
// platform tests register, load and create.

#include <cstdint>
#include <string>

#include "tidewise/com/unknown.h"

namespace tw::test {

struct ITestWidget : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{3B0C51E2-7A44-4D8E-9C1F-5E2A80D61B07}");
  static constexpr std::string_view Name = "ITestWidget";

  // Who made the object: "library" for the library's class, something else
  // for stand-ins that tests serve themselves.
  virtual com::HRESULT Origin(std::string* origin) noexcept = 0;
  // Fails with `code`, as a member does when its body raises.
  virtual com::HRESULT Fail(com::HRESULT code) noexcept = 0;

 protected:
  ~ITestWidget() = default;
};

struct ITestGadget : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{C7E1D0A9-2F63-4B58-8A0E-91D4F3B6E215}");
  static constexpr std::string_view Name = "ITestGadget";

  virtual com::HRESULT Ping() noexcept = 0;

 protected:
  ~ITestGadget() = default;
};

inline constexpr com::GUID kTestLibraryId = com::guid("{5D2F8E40-1C9B-4A73-B6E8-0F4A2C7D9E31}");
inline constexpr com::GUID kWidgetClsid = com::guid("{A1E9C3F2-6B05-4D7A-8E21-3C9F0B4D6A58}");
inline constexpr com::GUID kGadgetClsid = com::guid("{E84B2D17-93C0-4F6E-A5D1-7B2E60C9F843}");
inline constexpr const char* kWidgetProgId = "TidewiseTest.Widget";
inline constexpr const char* kGadgetProgId = "TidewiseTest.Gadget";

}  // namespace tw::test
