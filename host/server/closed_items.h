#pragma once
// What the catalog shows of the items that are not open: read from their
// files, and kept until a file changes.

#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "tidewise/host/document.h"
#include "tidewise/host/pages.h"
#include "tidewise/host/tree.h"

namespace tw::server {

using Json = nlohmann::ordered_json;

// The title of the item the document holds; empty when it has none.
std::string title_of(host::XmlMetadataDocument& document);

class ClosedItems {
 public:
  ClosedItems() = default;
  ~ClosedItems();
  ClosedItems(const ClosedItems&) = delete;
  ClosedItems& operator=(const ClosedItems&) = delete;

  // The item's title and how many of its pages are not completed, as
  // "title" and "notCompleted"; a file that cannot be read gives an empty
  // title, no count and the reason as "error". `time` and `size` tell the
  // file's state: what was read of another state is read again. A member
  // that fails is thrown on, and nothing is kept.
  Json info(const std::string& relative, const std::filesystem::path& file,
            std::filesystem::file_time_type time, std::uintmax_t size);
  // The count of pages not completed of the item in that state: kept from
  // before, or counted now (as info() does) when `may_count`, else null.
  // Counting loads every page on the item (some 20 ms): a listing of
  // thousands of items counts the ones it has time for.
  Json not_completed(const std::string& relative, const std::filesystem::path& file,
                     std::filesystem::file_time_type time, std::uintmax_t size, bool may_count);

 private:
  host::MetadataSections& tree();

  struct Listed {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    Json info;
  };
  std::map<std::string, Listed> listed_;  // by path in the catalog
  com::ComPtr<host::MetadataSections> tree_;
  host::Probes probes_;  // page objects kept to probe items again
};

}  // namespace tw::server
