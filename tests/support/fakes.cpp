#include "support/fakes.h"

#include <algorithm>

#include "tidewise/platform.h"

namespace tw::testing {

using com::boundary;
using com::IUnknown;
using com::out_param;

std::string describe(const Variant& value) {
  switch (value.type()) {
    case com::VarType::Empty:
      return "Empty";
    case com::VarType::Null:
      return "Null";
    case com::VarType::I2:
      return "I2:" + std::to_string(*value.as_i2());
    case com::VarType::I4:
      return "I4:" + std::to_string(*value.as_i4());
    case com::VarType::R8:
      return "R8:" + std::to_string(*value.as_r8());
    case com::VarType::Date:
      return "Date";
    case com::VarType::Bool:
      return *value.as_bool() ? "True" : "False";
    case com::VarType::BStr:
      return "\"" + *value.as_string() + "\"";
    case com::VarType::Unknown:
      return "Object";
    case com::VarType::Array: {
      std::string text = "[";
      for (const Variant& item : value.as_array()->elements) {
        if (text.size() > 1) text += ", ";
        text += describe(item);
      }
      return text + "]";
    }
  }
  return "?";
}

HRESULT Recorder::enter(std::string call) {
  calls.push_back(std::move(call));
  if (static_cast<int>(calls.size()) != fail_at) return com::S_OK;
  const std::string member = calls.back().substr(0, calls.back().find('('));
  com::SetErrorInfo({member, member + ": injected failure"});
  return fail_code;
}

namespace {
std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Runs a fake member: records it, fails if it is the chosen call.
template <class Body>
HRESULT member(Recorder& recorder, std::string call, Body&& body) {
  if (const HRESULT hr = recorder.enter(std::move(call)); com::failed(hr)) return hr;
  const std::string name = recorder.calls.back().substr(0, recorder.calls.back().find('('));
  return boundary(name, std::forward<Body>(body));
}

Variant values_of(const std::vector<Variant>& values) {
  if (values.empty()) return {};
  return Variant::array(0, values);
}
}  // namespace

// ---- document

std::optional<std::string> FakeDocument::text(const std::string& path) const {
  const auto it = values.find(path);
  if (it == values.end() || it->second.empty() || !it->second.front().as_string()) {
    return std::nullopt;
  }
  return *it->second.front().as_string();
}

std::optional<std::string> FakeDocument::attribute(const std::string& path,
                                                   const std::string& name) const {
  const auto it = attributes.find({path, name});
  if (it == attributes.end() || !it->second.as_string()) return std::nullopt;
  return *it->second.as_string();
}

HRESULT FakeDocument::QueryInterface(const com::GUID& iid, void** out) noexcept {
  if (!offers_xml_ && iid == host::IMetadataXml::IID) {
    if (out) *out = nullptr;
    return com::E_NOINTERFACE;
  }
  return Object::QueryInterface(iid, out);
}

HRESULT FakeDocument::ReadValues(const std::string& path, Variant* result) noexcept {
  return member(recorder(), "IMetadataValues.ReadValues(" + quoted(path) + ")", [&] {
    Variant& out = out_param(result);
    if (const auto raw = raw_results.find(path); raw != raw_results.end()) {
      out = raw->second;
    } else if (const auto it = values.find(path); it != values.end()) {
      out = values_of(it->second);
    }
  });
}

HRESULT FakeDocument::WriteValue(const std::string& path, const Variant& value) noexcept {
  return member(recorder(),
                "IMetadataValues.WriteValue(" + quoted(path) + ", " + describe(value) + ")",
                [&] { values[path] = {value}; });
}

HRESULT FakeDocument::WriteAttribute(const std::string& path, const std::string& name,
                                     const Variant& value, std::int32_t mode) noexcept {
  return member(recorder(),
                "IMetadataXml.WriteAttribute(" + quoted(path) + ", " + quoted(name) + ", " +
                    describe(value) + ", " + std::to_string(mode) + ")",
                [&] {
                  if (mode != 1 && mode != 2) com::raise(com::E_INVALIDARG, "bad mode");
                  attributes[{path, name}] = value;
                });
}

HRESULT FakeDocument::ReadAttribute(const std::string& path, const std::string& name,
                                    Variant* result) noexcept {
  return member(recorder(),
                "IMetadataXml.ReadAttribute(" + quoted(path) + ", " + quoted(name) + ")", [&] {
                  Variant& out = out_param(result);
                  if (const auto it = attributes.find({path, name}); it != attributes.end()) {
                    out = Variant::array(0, {it->second});
                  }
                });
}

HRESULT FakeDocument::SetUpdateFlag(com::VARIANT_BOOL updated) noexcept {
  return member(recorder(),
                std::string("IMetadataXml.SetUpdateFlag(") + (updated ? "True" : "False") + ")",
                [&] { update_flag = com::from_variant_bool(updated); });
}

HRESULT FakeDocument::LoadXmlText(const std::string& xml) noexcept {
  return member(recorder(), "IMetadataXml.LoadXmlText(" + quoted(xml) + ")",
                [&] { loaded_xml = xml; });
}

HRESULT FakeDocument::TransformToFile(const std::string& stylesheet, const std::string& parameters,
                                      com::VARIANT_BOOL flag,
                                      const std::string& destination) noexcept {
  return member(recorder(),
                "IMetadataXml.TransformToFile(" + quoted(stylesheet) + ", " + quoted(parameters) +
                    ", " + (flag ? "True" : "False") + ", " + quoted(destination) + ")",
                [] {});
}

// ---- import and export

HRESULT FakeHolder::get_Metadata(IUnknown** document) noexcept {
  return member(recorder(), "IMetadataHolder.Metadata()",
                [&] { metadata.copy_to(&out_param(document)); });
}

HRESULT FakeHolder::put_Metadata(host::IMetadataValues* document) noexcept {
  const auto* fake = dynamic_cast<FakeDocument*>(document);
  return member(recorder(),
                std::string("IMetadataHolder.put_Metadata(") +
                    (fake       ? "document"
                     : document ? "Object"
                                : "Nothing") +
                    ")",
                [&] { received = ComPtr<host::IMetadataValues>(document); });
}

HRESULT FakeDomDocument::QueryInterface(const com::GUID& iid, void** out) noexcept {
  if (out != nullptr && (iid == xml::IXMLDOMDocument::IID || iid == xml::IXMLDOMNode::IID)) {
    *out = static_cast<xml::IXMLDOMDocument2*>(this);
    AddRef();
    return com::S_OK;
  }
  return Object::QueryInterface(iid, out);
}

namespace {
std::string flag(com::VARIANT_BOOL value) {
  return value ? "True" : "False";
}
}  // namespace

HRESULT FakeDomDocument::get_async(com::VARIANT_BOOL* value) noexcept {
  return member(recorder(), "IXMLDOMDocument.async() " + name, [&] { out_param(value) = 0; });
}
HRESULT FakeDomDocument::put_async(com::VARIANT_BOOL value) noexcept {
  return member(recorder(), "IXMLDOMDocument.async(" + flag(value) + ") " + name, [] {});
}
HRESULT FakeDomDocument::get_validateOnParse(com::VARIANT_BOOL* value) noexcept {
  return member(recorder(), "IXMLDOMDocument.validateOnParse() " + name,
                [&] { out_param(value) = 0; });
}
HRESULT FakeDomDocument::put_validateOnParse(com::VARIANT_BOOL value) noexcept {
  return member(recorder(), "IXMLDOMDocument.validateOnParse(" + flag(value) + ") " + name, [] {});
}
HRESULT FakeDomDocument::get_resolveExternals(com::VARIANT_BOOL* value) noexcept {
  return member(recorder(), "IXMLDOMDocument.resolveExternals() " + name,
                [&] { out_param(value) = 0; });
}
HRESULT FakeDomDocument::put_resolveExternals(com::VARIANT_BOOL value) noexcept {
  return member(recorder(), "IXMLDOMDocument.resolveExternals(" + flag(value) + ") " + name, [] {});
}

HRESULT FakeDomDocument::load(const Variant& source, com::VARIANT_BOOL* success) noexcept {
  return member(
      recorder(), "IXMLDOMDocument.load(" + describe(source) + ") " + name, [&]() -> HRESULT {
        com::VARIANT_BOOL& loaded = out_param(success);
        const std::string path = source.as_string() ? *source.as_string() : "";
        if (unloadable.contains(path)) {
          com::SetErrorInfo(
              {"IXMLDOMDocument.load", "IXMLDOMDocument.load: \"" + path + "\" line 1: not XML"});
          return com::S_FALSE;
        }
        loaded = com::VARIANT_TRUE;
        return com::S_OK;
      });
}

HRESULT FakeDomDocument::transformNode(xml::IXMLDOMNode* stylesheet, std::string* out) noexcept {
  const auto* sheet = dynamic_cast<FakeDomDocument*>(stylesheet);
  return member(
      recorder(),
      "IXMLDOMNode.transformNode(" + (sheet ? sheet->name : std::string("?")) + ") " + name,
      [&] { out_param(out) = output; });
}

// ---- tree

HRESULT FakeEntry::get_UniqueName(std::string* name) noexcept {
  return member(recorder(), "IMetadataPageEntry.UniqueName()",
                [&] { out_param(name) = unique_name; });
}

HRESULT FakeEntry::get_ProgID(std::string* out) noexcept {
  return member(recorder(), "IMetadataPageEntry.ProgID()", [&] { out_param(out) = prog_id; });
}

namespace {

class FakeEnum final : public com::Object<FakeEnum, com::IEnumVARIANT>, public Counted {
 public:
  FakeEnum(std::shared_ptr<Recorder> recorder, std::vector<ComPtr<FakeEntry>> entries)
      : Counted(std::move(recorder)), entries_(std::move(entries)) {}

  HRESULT Next(std::uint32_t count, Variant* items, std::uint32_t* fetched) noexcept override {
    return member(recorder(), "IEnumVARIANT.Next(" + std::to_string(count) + ")", [&] {
      std::uint32_t n = 0;
      for (; n < count && next_ < entries_.size(); ++n, ++next_) {
        items[n] = Variant::object(ComPtr<IUnknown>(entries_[next_]->identity()));
      }
      if (fetched) *fetched = n;
      return n == count ? com::S_OK : com::S_FALSE;
    });
  }
  HRESULT Skip(std::uint32_t count) noexcept override {
    next_ = std::min(entries_.size(), next_ + count);
    return com::S_OK;
  }
  HRESULT Reset() noexcept override {
    next_ = 0;
    return com::S_OK;
  }
  HRESULT Clone(com::IEnumVARIANT**) noexcept override { return com::E_NOTIMPL; }

 private:
  std::vector<ComPtr<FakeEntry>> entries_;
  std::size_t next_ = 0;
};

}  // namespace

HRESULT FakeBook::AddPage(const std::string& prog_id, const std::string& unique_name,
                          const Variant& before, const Variant& image,
                          host::IMetadataPageEntry** entry) noexcept {
  return member(recorder(),
                "IMetadataBook.AddPage(" + quoted(prog_id) + ", " + quoted(unique_name) + ", " +
                    describe(before) + ", " + describe(image) + ")",
                [&] {
                  out_param(entry);
                  entries.push_back(com::make_object<FakeEntry>(recorder_, prog_id, unique_name));
                  entries.back().copy_to(reinterpret_cast<FakeEntry**>(entry));
                });
}

HRESULT FakeBook::get__NewEnum(IUnknown** enumerator) noexcept {
  return member(recorder(), "IMetadataBook._NewEnum()", [&] {
    out_param(enumerator) = com::make_object<FakeEnum>(recorder_, entries).detach()->identity();
  });
}

HRESULT FakeBook::get_Key(std::string* out) noexcept {
  return member(recorder(), "IMetadataBook.Key()", [&] { out_param(out) = key; });
}

HRESULT FakeBook::get_Caption(std::string* out) noexcept {
  return member(recorder(), "IMetadataBook.Caption()", [&] { out_param(out) = caption; });
}

void FakeTree::add_editor_books() {
  for (const char* key : {"GeneralInfo", "DatasetId", "SpatialRef", "DistInfo", "History"}) {
    books.push_back(com::make_object<FakeBook>(recorder_, key, key));
  }
}

FakeBook* FakeTree::book(const std::string& key) const {
  for (const auto& b : books) {
    if (b->key == key) return b.get();
  }
  return nullptr;
}

std::vector<std::string> FakeTree::outline() const {
  std::vector<std::string> lines;
  for (const auto& b : books) {
    std::string line = b->key + " (" + b->caption + "):";
    for (const auto& e : b->entries) line += " " + e->unique_name + "=" + e->prog_id;
    lines.push_back(line);
  }
  return lines;
}

namespace {
std::string key_text(const Variant& key) {
  if (!key.as_string()) com::raise(com::DISP_E_TYPEMISMATCH, "a book key is a String");
  return *key.as_string();
}
}  // namespace

HRESULT FakeTree::GetBook(const Variant& key, host::IMetadataBook** out) noexcept {
  return member(recorder(), "IMetadataSections.GetBook(" + describe(key) + ")", [&] {
    out_param(out);
    FakeBook* found = book(key_text(key));
    if (found == nullptr) com::raise(com::E_INVALIDARG, "no book " + describe(key));
    ComPtr<host::IMetadataBook>(found).copy_to(out);
  });
}

HRESULT FakeTree::AddBook(const std::string& caption, const std::string& key, const Variant& image,
                          const Variant& after, host::IMetadataBook** out) noexcept {
  return member(recorder(),
                "IMetadataSections.AddBook(" + quoted(caption) + ", " + quoted(key) + ", " +
                    describe(image) + ", " + describe(after) + ")",
                [&] {
                  out_param(out);
                  const std::string previous = key_text(after);
                  const auto at = std::find_if(books.begin(), books.end(),
                                               [&](const auto& b) { return b->key == previous; });
                  if (at == books.end()) com::raise(com::E_INVALIDARG, "no book " + previous);
                  auto added = com::make_object<FakeBook>(recorder_, key, caption);
                  ComPtr<host::IMetadataBook>(added.get()).copy_to(out);
                  books.insert(at + 1, std::move(added));
                });
}

HRESULT FakeTree::RemoveBook(Variant key) noexcept {
  return member(recorder(), "IMetadataSections.RemoveBook(" + describe(key) + ")", [&] {
    const std::string k = key_text(key);
    const auto at =
        std::find_if(books.begin(), books.end(), [&](const auto& b) { return b->key == k; });
    if (at == books.end()) com::raise(com::E_INVALIDARG, "no book " + k);
    books.erase(at);
  });
}

HRESULT FakeTree::get_Count(std::int32_t* count) noexcept {
  return member(recorder(), "IMetadataSections.Count()",
                [&] { out_param(count) = static_cast<std::int32_t>(books.size()); });
}

HRESULT FakeTree::Item(std::int32_t index, host::IMetadataBook** out) noexcept {
  return member(recorder(), "IMetadataSections.Item(" + std::to_string(index) + ")", [&] {
    out_param(out);
    if (index < 0 || index >= static_cast<std::int32_t>(books.size())) {
      com::raise(com::DISP_E_BADINDEX, "no book at that index");
    }
    ComPtr<host::IMetadataBook>(books[index].get()).copy_to(out);
  });
}

// ---- synchronizers

namespace {

class FakeSynchronizer final : public com::Object<FakeSynchronizer, host::ISynchronizer>,
                               public Counted {
 public:
  FakeSynchronizer(std::shared_ptr<Recorder> recorder, std::string name)
      : Counted(std::move(recorder)), name_(std::move(name)) {}

  HRESULT get_DisplayName(std::string* name) noexcept override {
    return member(recorder(), "ISynchronizer.DisplayName()", [&] { out_param(name) = name_; });
  }

 private:
  std::string name_;
};

void check_index(std::int32_t index, std::size_t size) {
  if (index < 0 || static_cast<std::size_t>(index) >= size) {
    com::raise(com::DISP_E_BADINDEX, "no synchronizer at that index");
  }
}

}  // namespace

HRESULT FakeSynchronizers::get_Count(std::int32_t* count) noexcept {
  return member(recorder(), "ISynchronizerList.Count()",
                [&] { out_param(count) = static_cast<std::int32_t>(items.size()); });
}

HRESULT FakeSynchronizers::Item(std::int32_t index, host::ISynchronizer** out) noexcept {
  return member(recorder(), "ISynchronizerList.Item(" + std::to_string(index) + ")", [&] {
    out_param(out);
    check_index(index, items.size());
    *out = com::make_object<FakeSynchronizer>(recorder_, items[index].first).detach();
  });
}

HRESULT FakeSynchronizers::IsEnabled(std::int32_t index, com::VARIANT_BOOL* enabled) noexcept {
  return member(recorder(), "ISynchronizerList.IsEnabled(" + std::to_string(index) + ")", [&] {
    out_param(enabled);
    check_index(index, items.size());
    *enabled = com::to_variant_bool(items[index].second);
  });
}

HRESULT FakeSynchronizers::SetEnabled(std::int32_t index, com::VARIANT_BOOL enabled) noexcept {
  return member(recorder(),
                "ISynchronizerList.SetEnabled(" + std::to_string(index) + ", " +
                    (enabled ? "True" : "False") + ")",
                [&] {
                  check_index(index, items.size());
                  items[index].second = com::from_variant_bool(enabled);
                });
}

// ---- host services

struct HostServices::State {
  std::shared_ptr<Recorder> recorder;
  std::vector<std::pair<std::string, bool>> initial;
  std::vector<std::pair<std::string, bool>> last;
  platform::MsgBoxHandler previous;
};

namespace {

// Reports its final state back to the services when released, so a test can
// see what the component did to the list.
class ReportingSynchronizers final
    : public com::Object<ReportingSynchronizers, host::ISynchronizerList>,
      public Counted {
 public:
  explicit ReportingSynchronizers(const std::shared_ptr<HostServices::State>& state)
      : Counted(state->recorder),
        state_(state),
        inner_(com::make_object<FakeSynchronizers>(state->recorder, state->initial)) {}
  ~ReportingSynchronizers() override {
    if (auto s = state_.lock()) s->last = inner_->items;
  }
  HRESULT get_Count(std::int32_t* c) noexcept override { return inner_->get_Count(c); }
  HRESULT Item(std::int32_t i, host::ISynchronizer** s) noexcept override {
    return inner_->Item(i, s);
  }
  HRESULT IsEnabled(std::int32_t i, com::VARIANT_BOOL* e) noexcept override {
    return inner_->IsEnabled(i, e);
  }
  HRESULT SetEnabled(std::int32_t i, com::VARIANT_BOOL e) noexcept override {
    return inner_->SetEnabled(i, e);
  }

 private:
  std::weak_ptr<HostServices::State> state_;
  ComPtr<FakeSynchronizers> inner_;
};

class SynchronizerFactory final : public com::Object<SynchronizerFactory, com::IClassFactory> {
 public:
  explicit SynchronizerFactory(std::weak_ptr<HostServices::State> state)
      : state_(std::move(state)) {}
  HRESULT CreateInstance(IUnknown*, const com::GUID& iid, void** out) noexcept override {
    const auto state = state_.lock();
    if (!state) return com::CLASS_E_CLASSNOTAVAILABLE;
    return com::make_object<ReportingSynchronizers>(state)->QueryInterface(iid, out);
  }
  HRESULT LockServer(com::VARIANT_BOOL) noexcept override { return com::S_OK; }

 private:
  std::weak_ptr<HostServices::State> state_;
};

}  // namespace

HostServices::HostServices(std::shared_ptr<Recorder> recorder,
                           std::vector<std::pair<std::string, bool>> synchronizers)
    : state_(std::make_shared<State>()) {
  state_->recorder = std::move(recorder);
  state_->initial = std::move(synchronizers);
  state_->last = state_->initial;
  com::register_class_object(host::CLSID_SynchronizerList,
                             com::make_object<SynchronizerFactory>(state_));
  std::weak_ptr<State> weak = state_;
  state_->previous = platform::set_msgbox_handler([weak](std::string_view prompt, int buttons,
                                                         std::string_view title) {
    if (auto s = weak.lock()) {
      s->recorder->calls.push_back("MsgBox(\"" + std::string(prompt) + "\", " +
                                   std::to_string(buttons) + ", \"" + std::string(title) + "\")");
    }
    return platform::kAnswerOk;
  });
}

HostServices::~HostServices() {
  platform::set_msgbox_handler(std::move(state_->previous));
  com::revoke_class_objects();
}

std::vector<std::pair<std::string, bool>> HostServices::synchronizers() const {
  return state_->last;
}

}  // namespace tw::testing
