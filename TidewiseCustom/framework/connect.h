#pragma once
// The entry point through which the host's editor takes up the project's
// pages: it fills the editor's tree and switches the host's synchronizers off.

#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"

namespace tw::custom {

struct _Connect : com::IUnknown {
  static constexpr com::GUID IID = com::guid("{8BCD1803-66DD-4AB1-B3D6-F16447987493}");
  static constexpr std::string_view Name = "_Connect";

 protected:
  ~_Connect() = default;
};

inline constexpr com::GUID CLSID_Connect = com::guid("{1D46D032-E1D3-47D5-8DFA-F725B05595AE}");

// The prefix of every page's programmatic identifier.
inline constexpr std::string_view kProgIdPrefix = "TidewiseCustomPage.";

// The title of the message boxes the library shows.
inline constexpr std::string_view kLibraryTitle = "TidewiseCustomPage";

class Connect final : public com::Object<Connect, _Connect, host::ICustomPages> {
 public:
  com::HRESULT LoadCustomPages(host::IMetadataSections* sections, com::IUnknown* document,
                               com::VARIANT_BOOL* result) noexcept override;
};

}  // namespace tw::custom
