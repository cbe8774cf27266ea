#include "closed_items.h"

#include "tidewise/host/components.h"
#include "tidewise/host/failures.h"

namespace tw::server {

std::string title_of(host::XmlMetadataDocument& document) {
  com::Variant values;
  if (com::failed(document.ReadValues("dataIdInfo/idCitation/resTitle", &values))) {
    com::ClearErrorInfo();
    return {};
  }
  if (const auto* array = values.as_array(); array && !array->elements.empty()) {
    if (const std::string* text = array->elements.front().as_string()) return *text;
  }
  return {};
}

ClosedItems::~ClosedItems() {
  // The pages go before the tree they were made for.
  probes_ = host::Probes();
  tree_.reset();
}

host::MetadataSections& ClosedItems::tree() {
  if (!tree_) {
    const auto document = com::make_object<host::XmlMetadataDocument>();
    tree_ = host::load_tree(com::ComPtr<host::IMetadataValues>(document).get()).tree;
  }
  return *tree_.get();
}

Json ClosedItems::info(const std::string& relative, const std::filesystem::path& file,
                       std::filesystem::file_time_type time, std::uintmax_t size) {
  Listed& listed = listed_[relative];
  if (!listed.info.is_null() && listed.time == time && listed.size == size) return listed.info;
  listed = {time, size, Json::object()};
  try {
    const auto document = com::make_object<host::XmlMetadataDocument>();
    document->load_file(file);
    listed.info["title"] = title_of(*document.get());
    int not_completed = 0;
    for (const auto& state : probes_.entries(*document.get(), tree())) {
      not_completed += state.completed ? 0 : 1;
    }
    listed.info["notCompleted"] = not_completed;
  } catch (const com::MemberFailure&) {
    listed.info = Json();
    throw;
  } catch (const std::exception& e) {
    listed.info["title"] = "";
    listed.info["notCompleted"] = nullptr;
    listed.info["error"] = e.what();
  }
  return listed.info;
}

Json ClosedItems::not_completed(const std::string& relative, const std::filesystem::path& file,
                                std::filesystem::file_time_type time, std::uintmax_t size,
                                bool may_count) {
  const auto kept = listed_.find(relative);
  const bool known = kept != listed_.end() && !kept->second.info.is_null() &&
                     kept->second.time == time && kept->second.size == size;
  if (!known && !may_count) return nullptr;
  return info(relative, file, time, size).value("notCompleted", Json());
}

}  // namespace tw::server
