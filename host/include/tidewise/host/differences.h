#pragma once
// What differs between two metadata documents: every element text and
// attribute value, as a review lists them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/xml/xml.h"

namespace tw::host {

// One element or attribute whose value differs between two documents.
struct Difference {
  enum class Change { Added, Removed, Changed };
  Change change;
  std::string
      path;  // "dataIdInfo/idPurp", "dataIdInfo/searchKeys/keyword[2]", ".../RestrictCd@value"
  std::optional<std::string> before;  // none: it was not there
  std::optional<std::string> after;   // none: it is not there any more
  friend bool operator==(const Difference&, const Difference&) = default;
};
std::string_view to_string(Difference::Change change);
// The differences listed, and how many more there are: a review lists a
// bounded number, and shortens a path over 2 KiB in its middle ("…").
struct Review {
  std::vector<Difference> changes;
  std::size_t more = 0;
};
inline constexpr std::size_t kMostChangesListed = 10'000;
// A review of an item: what saving would change, and a digest of what was
// compared (the file's bytes as read and the document's revision), so that a
// save can tell whether it would write what the author reviewed.
struct ItemReview : Review {
  std::uint64_t digest = 0;
};
// Every element text and attribute value of `after` that differs from
// `before`, in document order (removed ones where they stood). Whitespace
// between child elements is layout, not a value. Costs time linear in the
// two documents' size.
Review compare_documents(const xmlDoc& before, const xmlDoc& after,
                         std::size_t most_listed = kMostChangesListed);
// A step of a path as a review spells it: an element's prefix and local
// name, and its number among its siblings of that name when the name repeats
// (0 when it does not).
struct PathStep {
  std::string_view prefix;
  std::string_view local;
  std::size_t number = 0;
};
// The path of `steps` below `root` ("" below the documents' root element),
// with "@attribute" when one is named; a path of over 2 KiB keeps its start
// and its end around "…".
std::string spell_path(std::string_view root, std::span<const PathStep> steps,
                       std::string_view attribute = {});
// Where the author and another program both changed the same value since
// the item was read, each to something else: `before` as read, theirs and
// mine.
struct Conflict {
  std::string path;
  std::optional<std::string> before;
  std::optional<std::string> theirs;
  std::optional<std::string> mine;
};
std::vector<Conflict> conflicts_between(const Review& mine, const Review& theirs);
// The same of two texts (E_INVALIDARG for one that is not XML).
std::vector<Difference> differences(std::string_view before_xml, std::string_view after_xml);

}  // namespace tw::host
