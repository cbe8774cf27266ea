#include "tidewise/host/session.h"

#include <algorithm>
#include <charconv>
#include <iomanip>
#include <sstream>

#include "tidewise/com/error.h"
#include "tidewise/host/classes.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

namespace fs = std::filesystem;
using com::ComPtr;
using com::VARIANT_BOOL;
using forms::Control;
using forms::Kind;

// ---- Failures

MemberFailure::MemberFailure(std::string member, com::HRESULT code, std::string description)
    : std::runtime_error(member + " failed (" + com::hresult_hex(code) + ")" +
                         (description.empty() ? "" : ": " + description)),
      member_(std::move(member)),
      code_(code),
      description_(std::move(description)) {}

std::string MemberFailure::interface_name() const {
  const auto dot = member_.find('.');
  return dot == std::string::npos ? std::string() : member_.substr(0, dot);
}

void call(com::HRESULT hr, std::string_view member) {
  if (com::succeeded(hr)) return;
  const auto info = com::GetErrorInfo();
  throw MemberFailure(std::string(member), hr, info ? info->description : "");
}

// ---- Edits

namespace {

constexpr std::pair<Edit::Kind, std::string_view> kEditNames[] = {
    {Edit::Kind::Type, "type"},     {Edit::Kind::Pick, "pick"},
    {Edit::Kind::Check, "check"},   {Edit::Kind::Uncheck, "uncheck"},
    {Edit::Kind::Choose, "choose"}, {Edit::Kind::Select, "select"},
    {Edit::Kind::Click, "click"},
};

bool has_caption(Kind kind) {
  return kind == Kind::Label || kind == Kind::Frame || kind == Kind::CheckBox ||
         kind == Kind::OptionButton || kind == Kind::CommandButton;
}

bool has_items(Kind kind) {
  return kind == Kind::ComboBox || kind == Kind::ListBox || kind == Kind::Map;
}

// The position a select names: decimal digits, from 0.
std::optional<int> list_position(std::string_view text) {
  int position = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || position < 0) {
    return std::nullopt;
  }
  return position;
}

// Quoted, and with whatever would not show on a terminal escaped: texts
// come from the item and from the user.
std::string in_quotes(std::string_view text) {
  std::ostringstream out;
  out << std::quoted(platform::shown(text));
  return out.str();
}
// A name in a message.
std::string named(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

[[noreturn]] void refuse(const Edit& edit, const Control& control, std::string_view why) {
  throw InvalidEdit(edit.kind, named(control.name()) + " is a " +
                                   std::string(forms::to_string(control.kind())) +
                                   std::string(why));
}

}  // namespace

std::string_view to_string(Edit::Kind kind) {
  for (const auto& [k, name] : kEditNames) {
    if (k == kind) return name;
  }
  return "edit";
}

std::optional<Edit::Kind> edit_kind(std::string_view name) {
  for (const auto& [kind, n] : kEditNames) {
    if (n == name) return kind;
  }
  return std::nullopt;
}

void validate_edits(const forms::Form& form, std::span<const Edit> edits) {
  for (const Edit& edit : edits) {
    const Control* control = form.find(edit.control);
    if (control == nullptr) {
      throw InvalidEdit(edit.kind, "the page has no control " + named(edit.control));
    }
    switch (edit.kind) {
      case Edit::Kind::Type:
        if (!control->has_text()) refuse(edit, *control, ", which takes no typing");
        // The page would store it, and the item could not be saved.
        try {
          xml::check_text(edit.value);
        } catch (const com::Error& e) {
          throw InvalidEdit(edit.kind, "the text for " + named(edit.control) +
                                           " cannot be kept in an XML file: " + e.what());
        }
        break;
      case Edit::Kind::Pick: {
        if (control->kind() != Kind::ComboBox) refuse(edit, *control, ", which has no list");
        const auto& items = control->items();
        if (std::find(items.begin(), items.end(), edit.value) == items.end()) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is not an item of the list of " +
                                           named(edit.control));
        }
        break;
      }
      case Edit::Kind::Check:
      case Edit::Kind::Uncheck:
        if (control->check_marks()) {
          const auto& items = control->items();
          if (std::find(items.begin(), items.end(), edit.value) == items.end()) {
            throw InvalidEdit(edit.kind, named(edit.value) + " is not an item of the list of " +
                                             named(edit.control));
          }
        } else if (control->kind() != Kind::CheckBox) {
          refuse(edit, *control, ", not a check box or a list with check marks");
        } else if (!edit.value.empty()) {
          refuse(edit, *control, ", which has no items to check");
        }
        break;
      case Edit::Kind::Choose:
        if (control->kind() != Kind::OptionButton) refuse(edit, *control, ", not an option button");
        break;
      case Edit::Kind::Select:
        if (control->kind() != Kind::ListBox) refuse(edit, *control, ", not a list box");
        if (!list_position(edit.value)) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is not a position in the list of " +
                                           named(edit.control) + " (0 is the first)");
        }
        break;
      case Edit::Kind::Click:
        if (control->kind() != Kind::CommandButton) refuse(edit, *control, ", not a button");
        break;
    }
  }
}

void apply_edit(forms::Form& form, const Edit& edit) {
  Control& control = form.get(edit.control);
  if (!control.enabled()) refuse(edit, control, " that is disabled now");
  switch (edit.kind) {
    case Edit::Kind::Type:
      control.type(edit.value);
      break;
    case Edit::Kind::Pick:
      control.pick(edit.value);
      break;
    case Edit::Kind::Check:
    case Edit::Kind::Uncheck: {
      if (control.check_marks()) {
        const auto& items = control.items();
        const auto found = std::find(items.begin(), items.end(), edit.value);
        if (found == items.end()) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is no longer an item of the list of " +
                                           named(edit.control));
        }
        control.set_checked(static_cast<std::size_t>(found - items.begin()),
                            edit.kind == Edit::Kind::Check);
        break;
      }
      // A user clicks until the box shows what they want: a greyed box
      // (value 2) takes one click to check and two to clear.
      const int wanted = edit.kind == Edit::Kind::Check ? 1 : 0;
      for (int clicks = 0; control.value() != wanted && clicks < 2; ++clicks) control.click();
      break;
    }
    case Edit::Kind::Choose:
    case Edit::Kind::Click:
      control.click();
      break;
    case Edit::Kind::Select: {
      const int position = list_position(edit.value).value_or(-1);
      if (position < 0 || position >= static_cast<int>(control.items().size())) {
        throw InvalidEdit(edit.kind, named(edit.control) + " has no item " + edit.value +
                                         " (it has " + std::to_string(control.items().size()) +
                                         ")");
      }
      control.select(position);
      break;
    }
  }
}

// ---- The page as the host shows it

Json controls_json(const forms::Form& form) {
  Json controls = Json::array();
  for (const auto& c : form.controls()) {
    Json control = {{"name", c->name()}, {"kind", forms::to_string(c->kind())}};
    if (has_caption(c->kind())) control["caption"] = c->caption();
    if (c->has_text()) control["text"] = c->text();
    if (has_items(c->kind())) control["items"] = c->items();
    if (c->kind() == Kind::CheckBox) control["value"] = c->value();
    if (c->kind() == Kind::OptionButton) control["value"] = c->value() != 0;
    if (c->kind() == Kind::ListBox || c->kind() == Kind::Map) control["value"] = c->list_index();
    if (c->check_marks()) {
      Json checked = Json::array();
      for (std::size_t i = 0; i < c->items().size(); ++i) checked.push_back(c->checked(i));
      control["checked"] = std::move(checked);
    }
    if (c->kind() == Kind::Map) control["links"] = c->links();
    if (!c->enabled()) control["enabled"] = false;
    control["left"] = c->left();
    control["top"] = c->top();
    control["width"] = c->width();
    control["height"] = c->height();
    if (c->tab_index()) control["tabIndex"] = *c->tab_index();
    if (!c->container().empty()) control["container"] = c->container();
    controls.push_back(std::move(control));
  }
  return controls;
}

std::string controls_text(const forms::Form& form) {
  std::ostringstream out;
  for (const auto& c : form.controls()) {
    out << "  " << std::left << std::setw(22) << c->name() << std::setw(13)
        << forms::to_string(c->kind());
    if (has_caption(c->kind())) out << ' ' << in_quotes(c->caption());
    if (c->has_text()) out << " text " << in_quotes(c->text());
    if (c->kind() == Kind::CheckBox) out << (c->value() == 1 ? " [x]" : " [ ]");
    if (c->kind() == Kind::OptionButton) out << (c->value() != 0 ? " (o)" : " ( )");
    if (c->kind() == Kind::ListBox || c->kind() == Kind::Map)
      out << " selected " << c->list_index();
    if (!c->enabled()) out << " disabled";
    if (c->tab_index()) out << " tab " << *c->tab_index();
    if (!c->container().empty()) out << " in " << c->container();
    out << '\n';
    if (has_items(c->kind()) && !c->items().empty()) {
      out << "  " << std::string(22, ' ') << "items:";
      for (std::size_t i = 0; i < c->items().size(); ++i) {
        if (c->check_marks()) out << (c->checked(i) ? " [x]" : " [ ]");
        out << ' ' << in_quotes(c->items()[i]);
      }
      out << '\n';
    }
  }
  return out.str();
}

// ---- Components

ComponentHost::ComponentHost() {
  serve_host_classes();
}

ComponentHost::~ComponentHost() {
  com::revoke_class_objects();
}

LoadedTree load_tree(com::IUnknown* document, Recording* recording) {
  LoadedTree loaded{make_default_tree()};
  const auto connect = create<ICustomPages>(kConnectProgId);
  if (recording) recording->start();
  VARIANT_BOOL result = com::VARIANT_FALSE;
  const com::HRESULT hr = connect->LoadCustomPages(loaded.tree.get(), document, &result);
  if (recording) recording->stop();
  call(hr, "ICustomPages.LoadCustomPages");
  loaded.result = com::from_variant_bool(result);
  return loaded;
}

// ---- An open page

OpenPage::OpenPage(std::string unique_name, std::string prog_id)
    : unique_name_(std::move(unique_name)), prog_id_(std::move(prog_id)) {
  com::GUID clsid;
  call(com::CLSIDFromProgID(prog_id_, &clsid), "CLSIDFromProgID");
  ComPtr<com::IUnknown> object;
  call(com::CoCreateInstance(clsid, com::IUnknown::IID, object.put_void()), "CoCreateInstance");
  call(object->QueryInterface(IMetaDataPage::IID, page_.put_void()), "IUnknown.QueryInterface");
  ComPtr<forms::IUserControl> control;
  call(object->QueryInterface(forms::IUserControl::IID, control.put_void()),
       "IUnknown.QueryInterface");
  call(control->GetForm(&form_), "IUserControl.GetForm");
  if (form_ == nullptr) throw com::Error(com::E_POINTER, "IUserControl.GetForm gave no form");
}

void OpenPage::load(IMetadataValues* document, IMetadataSections* tree) {
  call(page_->LoadPage(document, tree, unique_name_), "IMetaDataPage.LoadPage");
}

Leave OpenPage::leave(IMetadataValues* document, IMetadataSections* tree) {
  Leave leave;
  VARIANT_BOOL may_leave = com::VARIANT_FALSE;
  call(page_->QueryUnload(document, tree, &may_leave), "IMetaDataPage.QueryUnload");
  leave.query_unload = com::from_variant_bool(may_leave);
  if (leave.query_unload) {
    VARIANT_BOOL unloaded = com::VARIANT_FALSE;
    call(page_->UnloadPage(document, tree, &unloaded), "IMetaDataPage.UnloadPage");
    leave.unload_page = com::from_variant_bool(unloaded);
  }
  return leave;
}

std::string OpenPage::short_title() const {
  std::string title;
  call(page_->get_ShortTitle(&title), "IMetaDataPage.ShortTitle");
  return title;
}

std::string OpenPage::title() const {
  std::string title;
  call(page_->get_Title(&title), "IMetaDataPage.Title");
  return title;
}

bool OpenPage::completed() const {
  VARIANT_BOOL completed = com::VARIANT_FALSE;
  call(page_->get_Completed(&completed), "IMetaDataPage.Completed");
  return com::from_variant_bool(completed);
}

Json OpenPage::json() const {
  const std::string short_title_text = short_title();
  const std::string title_text = title();
  const bool is_completed = completed();
  std::int16_t help = 0;
  call(page_->get_HelpContextID(&help), "IMetaDataPage.HelpContextID");
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

// ---- The editing session

EditingSession::EditingSession(const fs::path& item, Options options, Recording* recording)
    : options_(options), item_(CatalogItem::open(item, options.access)) {
  LoadedTree loaded = load_tree(ComPtr<IMetadataValues>(item_->document()).get(), recording);
  tree_ = std::move(loaded.tree);
  tree_result_ = loaded.result;
}

// The page goes before the tree and the item it was loaded from.
EditingSession::~EditingSession() {
  page_.reset();
}

std::string EditingSession::prog_id_for(std::string_view unique_name,
                                        const std::optional<std::string>& page_class) const {
  if (page_class) {
    const std::string prog_id = std::string(kPagePrefix) + *page_class;
    com::GUID clsid;
    if (com::failed(com::CLSIDFromProgID(prog_id, &clsid))) {
      com::ClearErrorInfo();
      throw InvalidRequest("no page class " + named(*page_class) + " is registered");
    }
    return prog_id;
  }
  const MetadataPageEntry* entry = tree_->find_page(unique_name);
  if (entry == nullptr) {
    throw InvalidRequest("no page has the unique name " + named(unique_name));
  }
  return entry->prog_id();
}

OpenPage& EditingSession::open(std::string_view unique_name,
                               const std::optional<std::string>& page_class, Recording* recording) {
  const std::string prog_id = prog_id_for(unique_name, page_class);
  page_.reset();
  if (recording) recording->start();
  std::unique_ptr<OpenPage> page;
  try {
    page = std::make_unique<OpenPage>(std::string(unique_name), prog_id);
  } catch (const MemberFailure& e) {
    // A class named by the user that is no page at all is a wrong request,
    // not a failing page.
    if (page_class && e.code() == com::E_NOINTERFACE && e.member() == "IUnknown.QueryInterface") {
      throw InvalidRequest(named(prog_id) + " is not a page");
    }
    throw;
  }
  guarded([&] { page->load(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
  page_ = std::move(page);
  return *page_;
}

Leave EditingSession::leave() {
  if (!page_) return {true, true};
  return guarded(
      [&] { return page_->leave(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
}

Leave EditingSession::flush() {
  const Leave left = leave();
  if (page_ && left.query_unload) {
    guarded([&] { page_->load(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
  }
  return left;
}

void EditingSession::reload() {
  if (!page_) return;
  guarded([&] { page_->load(ComPtr<IMetadataValues>(item_->document()).get(), tree_.get()); });
}

void EditingSession::edit(std::span<const Edit> edits) {
  if (!page_) throw InvalidRequest("no page is open");
  validate_edits(page_->form(), edits);
  for (const Edit& edit : edits) apply_edit(page_->form(), edit);
}

void EditingSession::save() {
  item_->save();
  restored_modified_ = false;
}

Review EditingSession::review() const {
  // The two trees themselves: a text of either could be larger than what the
  // parser takes.
  XmlMetadataDocument saved;
  saved.load_file(item_->path());
  return compare_documents(saved.doc(), document().doc());
}

void EditingSession::restore(const XmlMetadataDocument& snapshot, bool was_modified) {
  document().take_content(snapshot);
  restored_modified_ = was_modified;
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

// A copy, so that whatever a page does on loading stays away from the item.
ComPtr<XmlMetadataDocument> copy_of(const XmlMetadataDocument& document) {
  return document.copy();
}

}  // namespace

EntryState probe_entry(XmlMetadataDocument& document, MetadataSections& tree,
                       std::string_view unique_name, std::string_view prog_id) {
  try {
    OpenPage page{std::string(unique_name), std::string(prog_id)};
    return probe_page(page, document, tree);
  } catch (const std::exception& e) {
    return {std::string(unique_name), std::string(prog_id), std::string(unique_name), true,
            e.what()};
  }
}

std::vector<EntryState> probe_entries(const XmlMetadataDocument& document, MetadataSections& tree) {
  const auto copy = copy_of(document);
  std::vector<EntryState> states;
  for (const auto& book : tree.books()) {
    for (const auto& entry : book->entries()) {
      states.push_back(probe_entry(*copy.get(), tree, entry->unique_name(), entry->prog_id()));
    }
  }
  return states;
}

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
  const auto copy = copy_of(document);
  std::vector<EntryState> states;
  for (const auto& book : tree.books()) {
    for (const auto& entry : book->entries()) {
      states.push_back(this->entry(*copy.get(), tree, entry->unique_name(), entry->prog_id()));
    }
  }
  return states;
}

EntryState EditingSession::probe(std::string_view unique_name, std::string_view prog_id) const {
  return probe_entry(*copy_of(document()).get(), *tree_.get(), unique_name, prog_id);
}

std::optional<EntryState> EditingSession::page_state() const {
  if (!page_) return std::nullopt;
  EntryState state{page_->unique_name(), page_->prog_id(), page_->unique_name(), true,
                   std::nullopt};
  try {
    std::string title = page_->short_title();
    if (title.empty()) title = page_->title();
    if (!title.empty()) state.title = std::move(title);
    state.completed = page_->completed();
  } catch (const std::exception& e) {
    state.failure = e.what();
  }
  return state;
}

}  // namespace tw::host
