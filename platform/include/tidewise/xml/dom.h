#pragma once
// The platform's XML DOM document, as components reach it through the
// registry: the part of its interfaces that loads a file and applies a
// stylesheet. It lives in its own server library (TidewiseXml.so), which
// registers the class like any component, so that creating it goes through
// CoCreateInstance exactly as for any other class.
//
// What is loaded is parsed under the rules of the platform's XML services,
// whatever the flags say: no external entities, no DTD loading, no network,
// bounded size and depth. Stylesheets may read files in their own folder only
// and may not write files or use the network.

#include <string>

#include "tidewise/com/unknown.h"
#include "tidewise/com/variant.h"

namespace tw::xml {

using com::GUID;
using com::guid;
using com::HRESULT;
using com::VARIANT_BOOL;

struct IXMLDOMNode : com::IUnknown {
  static constexpr GUID IID = guid("{2933BF80-7B36-11D2-B20E-00C04F983E60}");
  static constexpr std::string_view Name = "IXMLDOMNode";

  // The output of `stylesheet` (a document of the same class) applied to
  // this document, as its xsl:output describes it.
  virtual HRESULT transformNode(IXMLDOMNode* stylesheet, std::string* output) noexcept = 0;

 protected:
  ~IXMLDOMNode() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
  static constexpr GUID IID = guid("{2933BF81-7B36-11D2-B20E-00C04F983E60}");
  static constexpr std::string_view Name = "IXMLDOMDocument";

  // Loading is always synchronous; the flag is kept for callers that read it.
  virtual HRESULT get_async(VARIANT_BOOL* async) noexcept = 0;
  virtual HRESULT put_async(VARIANT_BOOL async) noexcept = 0;
  // Kept and read back; documents are never validated against a DTD.
  virtual HRESULT get_validateOnParse(VARIANT_BOOL* validate) noexcept = 0;
  virtual HRESULT put_validateOnParse(VARIANT_BOOL validate) noexcept = 0;
  // Kept and read back; external entities and DTDs are never loaded.
  virtual HRESULT get_resolveExternals(VARIANT_BOOL* resolve) noexcept = 0;
  virtual HRESULT put_resolveExternals(VARIANT_BOOL resolve) noexcept = 0;
  // Loads the file whose path `source` holds as text. A file that cannot be
  // read or parsed is no failure of the call: it returns S_FALSE with
  // `success` False, leaves the document empty, and leaves error information
  // naming the file and what was wrong with it.
  virtual HRESULT load(const com::Variant& source, VARIANT_BOOL* success) noexcept = 0;

 protected:
  ~IXMLDOMDocument() = default;
};

struct IXMLDOMDocument2 : IXMLDOMDocument {
  static constexpr GUID IID = guid("{2933BF95-7B36-11D2-B20E-00C04F983E60}");
  static constexpr std::string_view Name = "IXMLDOMDocument2";

 protected:
  ~IXMLDOMDocument2() = default;
};

inline constexpr GUID CLSID_DOMDocument = guid("{F5078F32-C551-11D3-89B9-0000F81FE221}");

}  // namespace tw::xml
