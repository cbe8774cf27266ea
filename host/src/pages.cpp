#include "tidewise/host/pages.h"

#include "tidewise/com/error.h"
#include "tidewise/host/components.h"

namespace tw::host {

using com::ComPtr;
using com::VARIANT_BOOL;

OpenPage::OpenPage(std::string unique_name, std::string prog_id)
    : unique_name_(std::move(unique_name)), prog_id_(std::move(prog_id)) {
  com::GUID clsid;
  com::call(com::CLSIDFromProgID(prog_id_, &clsid), "CLSIDFromProgID");
  ComPtr<com::IUnknown> object;
  com::call(com::CoCreateInstance(clsid, com::IUnknown::IID, object.put_void()),
            "CoCreateInstance");
  com::call(object->QueryInterface(IMetaDataPage::IID, page_.put_void()),
            "IUnknown.QueryInterface");
  ComPtr<forms::IUserControl> control;
  com::call(object->QueryInterface(forms::IUserControl::IID, control.put_void()),
            "IUnknown.QueryInterface");
  com::call(control->GetForm(&form_), "IUserControl.GetForm");
  if (form_ == nullptr) throw com::Error(com::E_POINTER, "IUserControl.GetForm gave no form");
}

void OpenPage::load(IMetadataValues* document, IMetadataSections* tree) {
  com::call(page_->LoadPage(document, tree, unique_name_), "IMetaDataPage.LoadPage");
}

Leave OpenPage::leave(IMetadataValues* document, IMetadataSections* tree) {
  Leave leave;
  VARIANT_BOOL may_leave = com::VARIANT_FALSE;
  com::call(page_->QueryUnload(document, tree, &may_leave), "IMetaDataPage.QueryUnload");
  leave.query_unload = com::from_variant_bool(may_leave);
  if (leave.query_unload) {
    VARIANT_BOOL unloaded = com::VARIANT_FALSE;
    com::call(page_->UnloadPage(document, tree, &unloaded), "IMetaDataPage.UnloadPage");
    leave.unload_page = com::from_variant_bool(unloaded);
  }
  return leave;
}

std::string OpenPage::short_title() const {
  std::string title;
  com::call(page_->get_ShortTitle(&title), "IMetaDataPage.ShortTitle");
  return title;
}

std::string OpenPage::title() const {
  std::string title;
  com::call(page_->get_Title(&title), "IMetaDataPage.Title");
  return title;
}

bool OpenPage::completed() const {
  VARIANT_BOOL completed = com::VARIANT_FALSE;
  com::call(page_->get_Completed(&completed), "IMetaDataPage.Completed");
  return com::from_variant_bool(completed);
}

Json OpenPage::json() const {
  const std::string short_title_text = short_title();
  const std::string title_text = title();
  const bool is_completed = completed();
  std::int16_t help = 0;
  com::call(page_->get_HelpContextID(&help), "IMetaDataPage.HelpContextID");
  return {{"uniqueName", unique_name_},       {"progId", prog_id_},
          {"shortTitle", short_title_text},   {"title", title_text},
          {"completed", is_completed},        {"helpContextId", help},
          {"controls", controls_json(*form_)}};
}

std::string OpenPage::text() const {
  const Json page = json();
  const auto yes_no = [](bool value) { return std::string(value ? "True" : "False"); };
  std::string text = unique_name_ + " (" + prog_id_ + ")\n";
  text += "short title: " + page["shortTitle"].get<std::string>() + "\n";
  text += "title: " + page["title"].get<std::string>() + "\n";
  text += "completed: " + yes_no(page["completed"].get<bool>()) + "\n";
  text += "help context: " + std::to_string(page["helpContextId"].get<int>()) + "\n";
  text += "controls:\n" + controls_text(*form_);
  return text;
}

namespace {

EntryState probe_page(OpenPage& page, XmlMetadataDocument& document, MetadataSections& tree) {
  EntryState state{page.unique_name(), page.prog_id(), page.unique_name(), true, std::nullopt};
  page.load(&document, &tree);
  std::string title = page.short_title();
  if (title.empty()) title = page.title();
  if (!title.empty()) state.title = std::move(title);
  state.completed = page.completed();
  return state;
}

}  // namespace

EntryState Probes::entry(XmlMetadataDocument& copy, MetadataSections& tree,
                         std::string_view unique_name, std::string_view prog_id) {
  const auto key = std::make_pair(std::string(unique_name), std::string(prog_id));
  try {
    auto& page = pages_[key];
    if (!page) page = std::make_unique<OpenPage>(key.first, key.second);
    return probe_page(*page, copy, tree);
  } catch (const std::exception& e) {
    // A page that failed is made anew next time.
    pages_.erase(key);
    return {key.first, key.second, key.first, true, e.what()};
  }
}

std::vector<EntryState> Probes::entries(const XmlMetadataDocument& document,
                                        MetadataSections& tree) {
  const auto copy = document.copy();
  std::vector<EntryState> states;
  for (const auto& book : tree.books()) {
    for (const auto& entry : book->entries()) {
      states.push_back(this->entry(*copy.get(), tree, entry->unique_name(), entry->prog_id()));
    }
  }
  return states;
}

namespace {

std::uint64_t fnv1a(std::string_view text, std::uint64_t hash) {
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

const Probes::Answers& Probes::answers(const XmlMetadataDocument& document, MetadataSections& tree,
                                       std::span<const Offered> offered) {
  // The document by its revision, the tree by its entries, and the pages
  // offered: what the pages were asked on. Names end in a byte no name holds.
  std::uint64_t key = fnv1a(std::to_string(document.revision()), 14695981039346656037ull);
  for (const auto& book : tree.books()) {
    key = fnv1a(book->key() + '\0', key);
    for (const auto& entry : book->entries()) key = fnv1a(entry->unique_name() + '\1', key);
  }
  for (const Offered& page : offered) key = fnv1a(page.prog_id + '\2', key);
  if (answered_ && key == answered_key_) return *answered_;
  Answers answers;
  answers.entries = entries(document, tree);
  // A copy of their own: what the tree's pages wrote on loading is not
  // theirs to read.
  const auto copy = document.copy();
  for (const Offered& page : offered) {
    answers.offered.push_back(entry(*copy.get(), tree, page.unique_name, page.prog_id));
  }
  answered_ = std::move(answers);
  answered_key_ = key;
  return *answered_;
}

}  // namespace tw::host
