#pragma once
// The functions the pages share: two readers that turn what the document
// returns into plain text, adding a page to a book once, and code lists.

#include <span>
#include <string>
#include <string_view>

#include "tidewise/host/interfaces.h"

namespace tw::pages {

// The project's extension namespace, written as the attribute "ns" on the
// elements the single-text and status pages write.
inline constexpr std::string_view kExtensionNamespace = "http://www.tidewise.org/metadataModel/";

// The text of the first value at `path`: a String as it is, a 16-bit Integer
// as its decimal text, anything else (or nothing there) as empty text.
std::string ReadText(const std::string& path, host::IMetadataValues* document);

// The first value of the attribute at `path` if it is a String, else empty text.
std::string ReadAttributeText(const std::string& path, const std::string& name,
                              host::IMetadataXml* document);

// Adds the page to the book unless an entry of that unique name (exact,
// case-sensitive) is already there.
void AddPageIfMissing(host::IMetadataSections* tree, const std::string& book_key,
                      const std::string& prog_id, const std::string& unique_name);

// A code list as the pages show it: the labels in order, the n-th stored as
// the three-digit code of n ("001", "002", ...). Comparison is exact and
// case-sensitive; a code outside the list shows as the first label, a label
// outside it is stored as the first code.
class CodeList {
 public:
  constexpr explicit CodeList(std::span<const std::string_view> labels) : labels_(labels) {}

  std::string_view label_of(std::string_view code) const;
  std::string code_of(std::string_view label) const;
  // The labels, in order: the items of the boxes that show the list.
  std::span<const std::string_view> labels() const { return labels_; }

 private:
  std::span<const std::string_view> labels_;
};

// The scope levels. The sixteenth, "tile", has the code "016".
inline constexpr std::string_view kScopeLevels[] = {"attribute",
                                                    "attributeType",
                                                    "collectionHardware",
                                                    "collectionSession",
                                                    "dataset",
                                                    "series",
                                                    "nonGeographicDataset",
                                                    "dimensionGroup",
                                                    "feature",
                                                    "featureType",
                                                    "propertyType",
                                                    "fieldSession",
                                                    "software",
                                                    "service",
                                                    "model",
                                                    "tile"};
inline constexpr CodeList kScopeCodes{kScopeLevels};

std::string ScopeLabelToCode(const std::string& label);
std::string ScopeCodeToLabel(const std::string& code);

}  // namespace tw::pages
