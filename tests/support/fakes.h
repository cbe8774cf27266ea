#pragma once
// Fakes of the host's objects for the control library's tests. Every call a
// component makes on them is recorded in order as text, any one of them can
// be made to fail, and every fake counts itself so a test can tell that all
// references were released.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tidewise/com/factory.h"
#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/xml/dom.h"

namespace tw::testing {

using com::ComPtr;
using com::HRESULT;
using com::Variant;

// A failure code no real member returns, so a test can tell it came through.
inline constexpr HRESULT kInjected = com::make_hresult(0x80041234);

// `I2:-1`, `"text"`, `Empty`, `[..]`: enough to tell types and values apart.
std::string describe(const Variant& value);

class Recorder {
 public:
  std::vector<std::string> calls;
  int fail_at = 0;  // the 1-based number of the call that fails; 0: none does
  HRESULT fail_code = kInjected;
  int live = 0;  // fakes alive

  // Records the call; returns the failure to report, or S_OK. A failing call
  // sets error information as a host object would.
  HRESULT enter(std::string call);
};

// Makes a fake count itself in the recorder while it lives.
class Counted {
 public:
  explicit Counted(std::shared_ptr<Recorder> recorder) : recorder_(std::move(recorder)) {
    ++recorder_->live;
  }
  ~Counted() { --recorder_->live; }
  Recorder& recorder() const { return *recorder_; }

 protected:
  std::shared_ptr<Recorder> recorder_;
};

// A metadata document: values and attributes by path, as the fake was given them.
class FakeDocument final
    : public com::Object<FakeDocument, host::IMetadataValues, host::IMetadataXml>,
      public Counted {
 public:
  explicit FakeDocument(std::shared_ptr<Recorder> recorder, bool offers_xml = true)
      : Counted(std::move(recorder)), offers_xml_(offers_xml) {}

  std::map<std::string, std::vector<Variant>> values;  // path -> the values ReadValues returns
  std::map<std::pair<std::string, std::string>, Variant> attributes;  // (path, name) -> value
  std::map<std::string, Variant> raw_results;  // path -> a result returned as is (odd shapes)
  bool update_flag = false;
  std::optional<std::string> loaded_xml;  // what LoadXmlText was given

  // The text stored at a path, or nothing.
  std::optional<std::string> text(const std::string& path) const;
  std::optional<std::string> attribute(const std::string& path, const std::string& name) const;

  HRESULT QueryInterface(const com::GUID& iid, void** out) noexcept override;
  HRESULT ReadValues(const std::string& path, Variant* result) noexcept override;
  HRESULT WriteValue(const std::string& path, const Variant& value) noexcept override;
  HRESULT WriteAttribute(const std::string& path, const std::string& name, const Variant& value,
                         std::int32_t mode) noexcept override;
  HRESULT ReadAttribute(const std::string& path, const std::string& name,
                        Variant* result) noexcept override;
  HRESULT SetUpdateFlag(com::VARIANT_BOOL updated) noexcept override;
  HRESULT LoadXmlText(const std::string& xml) noexcept override;
  HRESULT TransformToFile(const std::string& stylesheet, const std::string& parameters,
                          com::VARIANT_BOOL flag, const std::string& destination) noexcept override;

 private:
  bool offers_xml_;
};

// The item's metadata holder: what Metadata gives, and what put_Metadata
// was handed.
class FakeHolder final : public com::Object<FakeHolder, host::IMetadataHolder>, public Counted {
 public:
  explicit FakeHolder(std::shared_ptr<Recorder> recorder) : Counted(std::move(recorder)) {}

  ComPtr<com::IUnknown> metadata;          // what Metadata gives
  ComPtr<host::IMetadataValues> received;  // what put_Metadata was handed

  HRESULT get_Metadata(com::IUnknown** document) noexcept override;
  HRESULT put_Metadata(host::IMetadataValues* document) noexcept override;
};

// The platform's XML DOM document. Fakes are numbered as they are created
// ("#1", "#2"), so that a call names the document it was made on.
class FakeDomDocument final : public com::Object<FakeDomDocument, xml::IXMLDOMDocument2>,
                              public Counted {
 public:
  FakeDomDocument(std::shared_ptr<Recorder> recorder, std::string name)
      : Counted(std::move(recorder)), name(std::move(name)) {}

  std::string name;
  std::map<std::string, bool> unloadable;  // path -> load reports no success
  std::string output = "<metadata/>";      // what transformNode returns

  HRESULT QueryInterface(const com::GUID& iid, void** out) noexcept override;
  HRESULT get_async(com::VARIANT_BOOL* value) noexcept override;
  HRESULT put_async(com::VARIANT_BOOL value) noexcept override;
  HRESULT get_validateOnParse(com::VARIANT_BOOL* value) noexcept override;
  HRESULT put_validateOnParse(com::VARIANT_BOOL value) noexcept override;
  HRESULT get_resolveExternals(com::VARIANT_BOOL* value) noexcept override;
  HRESULT put_resolveExternals(com::VARIANT_BOOL value) noexcept override;
  HRESULT load(const Variant& source, com::VARIANT_BOOL* success) noexcept override;
  HRESULT transformNode(xml::IXMLDOMNode* stylesheet, std::string* output) noexcept override;
};

class FakeEntry final : public com::Object<FakeEntry, host::IMetadataPageEntry>, public Counted {
 public:
  FakeEntry(std::shared_ptr<Recorder> recorder, std::string prog_id, std::string unique_name)
      : Counted(std::move(recorder)),
        prog_id(std::move(prog_id)),
        unique_name(std::move(unique_name)) {}

  std::string prog_id;
  std::string unique_name;

  HRESULT get_UniqueName(std::string* name) noexcept override;
  HRESULT get_ProgID(std::string* prog_id) noexcept override;
};

class FakeBook final : public com::Object<FakeBook, host::IMetadataBook>, public Counted {
 public:
  FakeBook(std::shared_ptr<Recorder> recorder, std::string key, std::string caption)
      : Counted(std::move(recorder)), key(std::move(key)), caption(std::move(caption)) {}

  std::string key;
  std::string caption;
  std::vector<ComPtr<FakeEntry>> entries;

  HRESULT AddPage(const std::string& prog_id, const std::string& unique_name, const Variant& before,
                  const Variant& image, host::IMetadataPageEntry** entry) noexcept override;
  HRESULT get__NewEnum(com::IUnknown** enumerator) noexcept override;
  HRESULT get_Key(std::string* key) noexcept override;
  HRESULT get_Caption(std::string* caption) noexcept override;
};

class FakeTree final : public com::Object<FakeTree, host::IMetadataSections>, public Counted {
 public:
  explicit FakeTree(std::shared_ptr<Recorder> recorder) : Counted(std::move(recorder)) {}

  std::vector<ComPtr<FakeBook>> books;

  // The editor's own books, empty.
  void add_editor_books();
  FakeBook* book(const std::string& key) const;
  // "key: unique name, unique name; key: ..." for comparing whole trees.
  std::vector<std::string> outline() const;

  HRESULT GetBook(const Variant& key, host::IMetadataBook** book) noexcept override;
  HRESULT AddBook(const std::string& caption, const std::string& key, const Variant& image,
                  const Variant& after, host::IMetadataBook** book) noexcept override;
  HRESULT RemoveBook(Variant key) noexcept override;
  HRESULT get_Count(std::int32_t* count) noexcept override;
  HRESULT Item(std::int32_t index, host::IMetadataBook** book) noexcept override;
};

class FakeSynchronizers final : public com::Object<FakeSynchronizers, host::ISynchronizerList>,
                                public Counted {
 public:
  FakeSynchronizers(std::shared_ptr<Recorder> recorder,
                    std::vector<std::pair<std::string, bool>> items)
      : Counted(std::move(recorder)), items(std::move(items)) {}

  std::vector<std::pair<std::string, bool>> items;  // display name, enabled

  HRESULT get_Count(std::int32_t* count) noexcept override;
  HRESULT Item(std::int32_t index, host::ISynchronizer** synchronizer) noexcept override;
  HRESULT IsEnabled(std::int32_t index, com::VARIANT_BOOL* enabled) noexcept override;
  HRESULT SetEnabled(std::int32_t index, com::VARIANT_BOOL enabled) noexcept override;
};

// Serves FakeSynchronizers as the host's SynchronizerList class while it
// lives, and records message boxes in the recorder.
class HostServices {
 public:
  HostServices(std::shared_ptr<Recorder> recorder,
               std::vector<std::pair<std::string, bool>> synchronizers);
  ~HostServices();
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  // The list the last creation handed out (its state after the run).
  std::vector<std::pair<std::string, bool>> synchronizers() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace tw::testing
