#pragma once
// The two pages that store a code and show its label, with the public
// translation members of their class interfaces.

#include "framework/page_classes.h"

namespace tw::custom {

struct _Constraint : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{C277B193-C03D-4118-B904-A0174DE8525F}");
  static constexpr std::string_view Name = "_Constraint";

  // The label of a restriction code; "copyright" for a code outside the list.
  virtual com::HRESULT RestrictionToLabel(const std::string& value,
                                          std::string* label) noexcept = 0;

 protected:
  ~_Constraint() = default;
};

struct _SpatialRep : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{53A2E91C-C85A-47FE-809C-3532E3CC8D96}");
  static constexpr std::string_view Name = "_SpatialRep";

  // The label of a spatial representation type code; "vector" outside the list.
  virtual com::HRESULT SpatialToLabel(const std::string& value, std::string* label) noexcept = 0;

 protected:
  ~_SpatialRep() = default;
};

extern const CodeList kRestrictionCodes;
extern const CodeList kSpatialCodes;

}  // namespace tw::custom
