#pragma once
// The host's interfaces, as its type libraries declare them: the editor's page
// contract, its tree of books and pages, its metadata synchronizers, the
// metadata document, and the import and export contracts. Members stand in
// the host's slot order. Components include this header; none links the host.

#include <cstdint>
#include <string>

#include "tidewise/com/enum.h"
#include "tidewise/com/unknown.h"
#include "tidewise/com/variant.h"

namespace tw::host {

using com::GUID;
using com::guid;
using com::HRESULT;
using com::IUnknown;
using com::Variant;
using com::VARIANT_BOOL;

// ---- The metadata document

struct IMetadataValues : IUnknown {
  static constexpr GUID IID = guid("{F0BA6ABC-8E9F-11D0-B4AB-0000F8037368}");
  static constexpr std::string_view Name = "IMetadataValues";

  // Empty when the path reaches nothing, else an array of the texts found.
  virtual HRESULT ReadValues(const std::string& path, Variant* values) noexcept = 0;
  virtual HRESULT WriteValue(const std::string& path, const Variant& value) noexcept = 0;

 protected:
  ~IMetadataValues() = default;
};

struct IMetadataXml : IUnknown {
  static constexpr GUID IID = guid("{01700025-EF62-47E3-BD1E-7A47D0696541}");
  static constexpr std::string_view Name = "IMetadataXml";

  // Mode 1 tags the element at the path, mode 2 sets an attribute of a code element.
  virtual HRESULT WriteAttribute(const std::string& path, const std::string& name,
                                 const Variant& value, std::int32_t mode) noexcept = 0;
  virtual HRESULT ReadAttribute(const std::string& path, const std::string& name,
                                Variant* values) noexcept = 0;
  virtual HRESULT SetUpdateFlag(VARIANT_BOOL updated) noexcept = 0;
  virtual HRESULT LoadXmlText(const std::string& xml) noexcept = 0;
  virtual HRESULT TransformToFile(const std::string& stylesheet, const std::string& parameters,
                                  VARIANT_BOOL flag, const std::string& destination) noexcept = 0;

 protected:
  ~IMetadataXml() = default;
};

// The host's own pages edit repeated elements: they count them, and remove,
// add and reorder them as a whole, with everything inside each.
struct IMetadataElements : IUnknown {
  static constexpr GUID IID = guid("{2B7E4D19-6A3C-4F58-9E21-D84C07B5A6F3}");
  static constexpr std::string_view Name = "IMetadataElements";

  // How many elements the path reaches.
  virtual HRESULT CountElements(const std::string& path, std::int32_t* count) noexcept = 0;
  // The path's last step names the repeated element, without a position;
  // the steps before it reach its parent as a write does. `order` is an
  // array of integers, one for each element the parent is to hold, in order:
  // the position (from 1) of an element it holds now, or 0 for a new empty
  // one; Empty is an empty array. Elements not named are removed. The
  // elements take the places of those there before, in document order; more
  // come after the last of them, or at the end of the parent.
  virtual HRESULT ArrangeElements(const std::string& path, const Variant& order) noexcept = 0;

 protected:
  ~IMetadataElements() = default;
};

inline constexpr GUID CLSID_XmlMetadataDocument = guid("{99F50761-C137-11D2-9F83-00C04F8ED211}");

// ---- The EPSG registry, which the host reads for its own pages

struct IReferenceSystems : IUnknown {
  static constexpr GUID IID = guid("{8C51E0A7-3B6F-4D92-A4E8-1F07C39D5B62}");
  static constexpr std::string_view Name = "IReferenceSystems";

  // The coordinate reference systems of the EPSG registry whose code is
  // `text` or whose name holds it (case aside), the best first, at most
  // `limit`: an array of Strings "CODE<tab>NAME"; Empty when none.
  virtual HRESULT Find(const std::string& text, std::int32_t limit, Variant* found) noexcept = 0;

 protected:
  ~IReferenceSystems() = default;
};

inline constexpr GUID CLSID_ReferenceSystems = guid("{8C51E0A7-3B6F-4D92-A4E8-1F07C39D5B63}");

// ---- The editor tree

struct IMetadataPageEntry : IUnknown {
  static constexpr GUID IID = guid("{FB20B4AB-8FF8-4AF6-8E09-E622C5A4F013}");
  static constexpr std::string_view Name = "IMetadataPageEntry";

  virtual HRESULT get_UniqueName(std::string* name) noexcept = 0;
  virtual HRESULT get_ProgID(std::string* prog_id) noexcept = 0;

 protected:
  ~IMetadataPageEntry() = default;
};

struct IMetadataBook : IUnknown {
  static constexpr GUID IID = guid("{3C0C04D6-7622-4584-BA8E-99E6DD88CE4F}");
  static constexpr std::string_view Name = "IMetadataBook";

  virtual HRESULT AddPage(const std::string& prog_id, const std::string& unique_name,
                          const Variant& before, const Variant& image,
                          IMetadataPageEntry** entry) noexcept = 0;
  // An IEnumVARIANT over the entries, in order, each an object offering IMetadataPageEntry.
  virtual HRESULT get__NewEnum(IUnknown** enumerator) noexcept = 0;
  virtual HRESULT get_Key(std::string* key) noexcept = 0;
  virtual HRESULT get_Caption(std::string* caption) noexcept = 0;

 protected:
  ~IMetadataBook() = default;
};

struct IMetadataSections : IUnknown {
  static constexpr GUID IID = guid("{F69E199A-01EB-4591-B807-88DCD3E4D252}");
  static constexpr std::string_view Name = "IMetadataSections";

  virtual HRESULT GetBook(const Variant& key, IMetadataBook** book) noexcept = 0;
  // Inserts the book after the book whose key `after` holds.
  virtual HRESULT AddBook(const std::string& caption, const std::string& key, const Variant& image,
                          const Variant& after, IMetadataBook** book) noexcept = 0;
  virtual HRESULT RemoveBook(Variant key) noexcept = 0;
  virtual HRESULT get_Count(std::int32_t* count) noexcept = 0;
  virtual HRESULT Item(std::int32_t index, IMetadataBook** book) noexcept = 0;  // from 0

 protected:
  ~IMetadataSections() = default;
};

// ---- The metadata synchronizers

struct ISynchronizer : IUnknown {
  static constexpr GUID IID = guid("{6A07CA46-9575-4CFC-A0D4-F2C8F9D30569}");
  static constexpr std::string_view Name = "ISynchronizer";

  virtual HRESULT get_DisplayName(std::string* name) noexcept = 0;

 protected:
  ~ISynchronizer() = default;
};

struct ISynchronizerList : IUnknown {
  static constexpr GUID IID = guid("{7D41E96F-9216-4F4B-9F9D-7A524AECFBCC}");
  static constexpr std::string_view Name = "ISynchronizerList";

  virtual HRESULT get_Count(std::int32_t* count) noexcept = 0;
  virtual HRESULT Item(std::int32_t index, ISynchronizer** synchronizer) noexcept = 0;
  virtual HRESULT IsEnabled(std::int32_t index, VARIANT_BOOL* enabled) noexcept = 0;
  virtual HRESULT SetEnabled(std::int32_t index, VARIANT_BOOL enabled) noexcept = 0;

 protected:
  ~ISynchronizerList() = default;
};

inline constexpr GUID CLSID_SynchronizerList = guid("{C10124EE-3648-445E-A16B-9D2755FBD690}");

// ---- The page manager's contracts (type library {00F9C128-6553-4F8F-8BF4-6FEA21C25E51}, 2.0)

inline constexpr GUID LIBID_PageManager = guid("{00F9C128-6553-4F8F-8BF4-6FEA21C25E51}");

struct ICustomPages : IUnknown {
  static constexpr GUID IID = guid("{ACA62481-F2F8-41E3-9557-CE38329E5B24}");
  static constexpr std::string_view Name = "ICustomPages";

  virtual HRESULT LoadCustomPages(IMetadataSections* sections, IUnknown* document,
                                  VARIANT_BOOL* result) noexcept = 0;

 protected:
  ~ICustomPages() = default;
};

struct IMetaDataPage : IUnknown {
  static constexpr GUID IID = guid("{BAC6A605-7C48-4282-85D1-47034E1B8608}");
  static constexpr std::string_view Name = "IMetaDataPage";

  virtual HRESULT get_ShortTitle(std::string* title) noexcept = 0;
  virtual HRESULT put_ShortTitle(const std::string& title) noexcept = 0;
  virtual HRESULT get_Title(std::string* title) noexcept = 0;
  virtual HRESULT put_Title(const std::string& title) noexcept = 0;
  virtual HRESULT get_HelpContextID(std::int16_t* id) noexcept = 0;
  virtual HRESULT get_Completed(VARIANT_BOOL* completed) noexcept = 0;
  virtual HRESULT LoadPage(IMetadataValues* document, IMetadataSections* sections,
                           const std::string& unique_name) noexcept = 0;
  virtual HRESULT QueryUnload(IMetadataValues* document, IMetadataSections* sections,
                              VARIANT_BOOL* result) noexcept = 0;
  virtual HRESULT UnloadPage(IMetadataValues* document, IMetadataSections* sections,
                             VARIANT_BOOL* result) noexcept = 0;

 protected:
  ~IMetaDataPage() = default;
};

// ---- Import and export (type library {866AE5D3-530C-11D2-A2BD-0000F8774FB5})

// One catalog item's metadata.
struct IMetadataHolder : IUnknown {
  static constexpr GUID IID = guid("{5DE04A82-24E4-11D3-A641-0008C7D3AE50}");
  static constexpr std::string_view Name = "IMetadataHolder";

  virtual HRESULT get_Metadata(IUnknown** document) noexcept = 0;
  virtual HRESULT put_Metadata(IMetadataValues* document) noexcept = 0;

 protected:
  ~IMetadataHolder() = default;
};

struct IMetadataImport : IUnknown {
  static constexpr GUID IID = guid("{E5FB4CEF-660C-11D3-A68B-0008C7D3AE50}");
  static constexpr std::string_view Name = "IMetadataImport";

  virtual HRESULT get_Name(std::string* name) noexcept = 0;
  virtual HRESULT get_DefaultFilename(std::string* name) noexcept = 0;
  virtual HRESULT Import(std::string source, IUnknown* destination) noexcept = 0;

 protected:
  ~IMetadataImport() = default;
};

struct IMetadataExport : IUnknown {
  static constexpr GUID IID = guid("{E5FB4CF0-660C-11D3-A68B-0008C7D3AE50}");
  static constexpr std::string_view Name = "IMetadataExport";

  virtual HRESULT get_Name(std::string* name) noexcept = 0;
  virtual HRESULT get_DefaultFilename(std::string* name) noexcept = 0;
  virtual HRESULT Export(IUnknown* source, std::string destination) noexcept = 0;

 protected:
  ~IMetadataExport() = default;
};

}  // namespace tw::host
