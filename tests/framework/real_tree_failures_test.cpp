// The start-up on the host's real editor tree and synchronizer list, with a
// failure injected at every call the control library makes on them: the
// host's objects must hold exactly what was done before the failing call.

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/pages.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/synchronizers.h"
#include "tidewise/host/tree.h"
#include "tidewise/platform.h"

namespace tw::testing {
namespace {

using com::IUnknown;
using com::VARIANT_BOOL;

// What the host's objects hold between two calls.
struct HostState {
  std::vector<host::BookInfo> tree;
  std::vector<bool> enabled;
  friend bool operator==(const HostState&, const HostState&) = default;
};

// Passes every call on to the host's object behind it, after recording it
// (and failing it when it is the chosen one). Before each call it notes what
// the host's objects held, so that a run failing at that call can be
// compared with it.
struct Injection {
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  com::ComPtr<host::MetadataSections> tree = host::make_default_tree();
  bool recording = false;         // the clean run notes the states
  std::vector<HostState> before;  // before[i]: the state when failable call i + 1 began

  HostState state() const {
    host::SynchronizerList list;
    std::vector<bool> enabled;
    for (std::size_t i = 0; i < host::SynchronizerList::names().size(); ++i) {
      enabled.push_back(list.enabled(i));
    }
    return {tree->snapshot(), enabled};
  }
  HRESULT enter(std::string call) {
    if (recording) before.push_back(state());
    return recorder->enter(std::move(call));
  }
};

template <class Body>
HRESULT pass(Injection& injection, std::string call, Body&& body) {
  if (const HRESULT hr = injection.enter(std::move(call)); com::failed(hr)) return hr;
  return body();
}

// Wraps what the host hands back, so that calls on it are injected too.
template <class Proxy, class Inner, class Out>
HRESULT wrapped(Injection& injection, HRESULT hr, ComPtr<Inner>& inner, Out** out) {
  if (com::succeeded(hr) && inner) {
    *out = com::make_object<Proxy>(injection, std::move(inner)).detach();
  }
  return hr;
}

class Entry final : public com::Object<Entry, host::IMetadataPageEntry>, public Counted {
 public:
  Entry(Injection& injection, ComPtr<host::IMetadataPageEntry> inner)
      : Counted(injection.recorder), injection_(injection), inner_(std::move(inner)) {}
  HRESULT get_UniqueName(std::string* name) noexcept override {
    return pass(injection_, "IMetadataPageEntry.UniqueName()",
                [&] { return inner_->get_UniqueName(name); });
  }
  HRESULT get_ProgID(std::string* prog_id) noexcept override {
    return pass(injection_, "IMetadataPageEntry.ProgID()",
                [&] { return inner_->get_ProgID(prog_id); });
  }

 private:
  Injection& injection_;
  ComPtr<host::IMetadataPageEntry> inner_;
};

class Book final : public com::Object<Book, host::IMetadataBook>, public Counted {
 public:
  Book(Injection& injection, ComPtr<host::IMetadataBook> inner)
      : Counted(injection.recorder), injection_(injection), inner_(std::move(inner)) {}
  HRESULT AddPage(const std::string& prog_id, const std::string& unique_name, const Variant& before,
                  const Variant& image, host::IMetadataPageEntry** entry) noexcept override {
    return pass(injection_,
                "IMetadataBook.AddPage(\"" + prog_id + "\", \"" + unique_name + "\", " +
                    describe(before) + ", " + describe(image) + ")",
                [&] {
                  ComPtr<host::IMetadataPageEntry> inner;
                  const HRESULT hr = inner_->AddPage(prog_id, unique_name, before, image,
                                                     entry ? inner.put() : nullptr);
                  return wrapped<Entry>(injection_, hr, inner, entry);
                });
  }
  HRESULT get__NewEnum(IUnknown** enumerator) noexcept override {
    return pass(injection_, "IMetadataBook._NewEnum()",
                [&] { return inner_->get__NewEnum(enumerator); });
  }
  HRESULT get_Key(std::string* key) noexcept override {
    return pass(injection_, "IMetadataBook.Key()", [&] { return inner_->get_Key(key); });
  }
  HRESULT get_Caption(std::string* caption) noexcept override {
    return pass(injection_, "IMetadataBook.Caption()",
                [&] { return inner_->get_Caption(caption); });
  }

 private:
  Injection& injection_;
  ComPtr<host::IMetadataBook> inner_;
};

class Tree final : public com::Object<Tree, host::IMetadataSections>, public Counted {
 public:
  explicit Tree(Injection& injection)
      : Counted(injection.recorder), injection_(injection), inner_(injection.tree) {}
  HRESULT GetBook(const Variant& key, host::IMetadataBook** book) noexcept override {
    return pass(injection_, "IMetadataSections.GetBook(" + describe(key) + ")", [&] {
      ComPtr<host::IMetadataBook> inner;
      return wrapped<Book>(injection_, inner_->GetBook(key, inner.put()), inner, book);
    });
  }
  HRESULT AddBook(const std::string& caption, const std::string& key, const Variant& image,
                  const Variant& after, host::IMetadataBook** book) noexcept override {
    return pass(injection_,
                "IMetadataSections.AddBook(\"" + caption + "\", \"" + key + "\", " +
                    describe(image) + ", " + describe(after) + ")",
                [&] {
                  ComPtr<host::IMetadataBook> inner;
                  return wrapped<Book>(injection_,
                                       inner_->AddBook(caption, key, image, after, inner.put()),
                                       inner, book);
                });
  }
  HRESULT RemoveBook(Variant key) noexcept override {
    return pass(injection_, "IMetadataSections.RemoveBook(" + describe(key) + ")",
                [&] { return inner_->RemoveBook(key); });
  }
  HRESULT get_Count(std::int32_t* count) noexcept override {
    return pass(injection_, "IMetadataSections.Count()", [&] { return inner_->get_Count(count); });
  }
  HRESULT Item(std::int32_t index, host::IMetadataBook** book) noexcept override {
    return pass(injection_, "IMetadataSections.Item(" + std::to_string(index) + ")", [&] {
      ComPtr<host::IMetadataBook> inner;
      return wrapped<Book>(injection_, inner_->Item(index, inner.put()), inner, book);
    });
  }

 private:
  Injection& injection_;
  ComPtr<host::MetadataSections> inner_;
};

class Synchronizer final : public com::Object<Synchronizer, host::ISynchronizer>, public Counted {
 public:
  Synchronizer(Injection& injection, ComPtr<host::ISynchronizer> inner)
      : Counted(injection.recorder), injection_(injection), inner_(std::move(inner)) {}
  HRESULT get_DisplayName(std::string* name) noexcept override {
    return pass(injection_, "ISynchronizer.DisplayName()",
                [&] { return inner_->get_DisplayName(name); });
  }

 private:
  Injection& injection_;
  ComPtr<host::ISynchronizer> inner_;
};

// The host's list, reading and writing the settings file of TIDEWISE_HOME.
class Synchronizers final : public com::Object<Synchronizers, host::ISynchronizerList>,
                            public Counted {
 public:
  explicit Synchronizers(Injection& injection)
      : Counted(injection.recorder),
        injection_(injection),
        inner_(com::make_object<host::SynchronizerList>()) {}
  HRESULT get_Count(std::int32_t* count) noexcept override {
    return pass(injection_, "ISynchronizerList.Count()", [&] { return inner_->get_Count(count); });
  }
  HRESULT Item(std::int32_t index, host::ISynchronizer** synchronizer) noexcept override {
    return pass(injection_, "ISynchronizerList.Item(" + std::to_string(index) + ")", [&] {
      ComPtr<host::ISynchronizer> inner;
      return wrapped<Synchronizer>(injection_, inner_->Item(index, inner.put()), inner,
                                   synchronizer);
    });
  }
  HRESULT IsEnabled(std::int32_t index, VARIANT_BOOL* enabled) noexcept override {
    return pass(injection_, "ISynchronizerList.IsEnabled(" + std::to_string(index) + ")",
                [&] { return inner_->IsEnabled(index, enabled); });
  }
  HRESULT SetEnabled(std::int32_t index, VARIANT_BOOL enabled) noexcept override {
    return pass(injection_,
                "ISynchronizerList.SetEnabled(" + std::to_string(index) + ", " +
                    (com::from_variant_bool(enabled) ? "True" : "False") + ")",
                [&] { return inner_->SetEnabled(index, enabled); });
  }

 private:
  Injection& injection_;
  ComPtr<host::SynchronizerList> inner_;
};

class SynchronizersFactory final : public com::Object<SynchronizersFactory, com::IClassFactory> {
 public:
  explicit SynchronizersFactory(Injection& injection) : injection_(injection) {}
  HRESULT CreateInstance(IUnknown*, const com::GUID& iid, void** out) noexcept override {
    return com::boundary("IClassFactory.CreateInstance", [&] {
      return com::make_object<Synchronizers>(injection_)->QueryInterface(iid, out);
    });
  }
  HRESULT LockServer(VARIANT_BOOL) noexcept override { return com::S_OK; }

 private:
  Injection& injection_;
};

// The library's classes registered as a real host finds them, in a home of
// their own.
struct Home {
  test::TempHome home;
  Home() {
    if (com::failed(com::module_register(custom::kModule, home / "TidewiseCustomPage.so"))) {
      ADD_FAILURE() << "registration failed: " << last_error();
    }
  }
};

// One start-up of the editor on a fresh tree and fresh settings: the list
// served, message boxes recorded.
struct Start {
  Injection injection;
  platform::MsgBoxHandler previous;

  explicit Start(const Home& home) {
    std::filesystem::remove(home.home / "settings.json");
    com::register_class_object(host::CLSID_SynchronizerList,
                               com::make_object<SynchronizersFactory>(injection));
    previous = platform::set_msgbox_handler([this](std::string_view prompt, int, std::string_view) {
      injection.recorder->calls.push_back("MsgBox(\"" + std::string(prompt) + "\")");
      return platform::kAnswerOk;
    });
  }
  ~Start() {
    platform::set_msgbox_handler(std::move(previous));
    com::revoke_class_objects();
  }

  HRESULT load(VARIANT_BOOL& result) {
    const auto connect = create<host::ICustomPages>("Connect");
    const auto tree = com::make_object<Tree>(injection);
    return connect->LoadCustomPages(tree.get(), nullptr, &result);
  }
};

TEST(StartUpOnTheHostsTree, AFailureAtAnyCallLeavesExactlyTheEarlierChanges) {
  const Home home;
  std::vector<std::string> calls;
  std::vector<HostState> clean_before;
  HostState clean_after;
  {
    Start clean(home);
    clean.injection.recording = true;
    VARIANT_BOOL result = 0;
    ASSERT_EQ(clean.load(result), com::S_OK) << last_error();
    ASSERT_EQ(result, com::VARIANT_TRUE);
    calls = clean.injection.recorder->calls;
    clean_before = clean.injection.before;
    clean_after = clean.injection.state();
    EXPECT_EQ(clean_after.tree.size(), 21u);
    EXPECT_EQ(clean_after.enabled, std::vector<bool>(3, false));
  }
  // Message boxes are recorded among the calls but cannot fail.
  std::size_t failable = 0;
  for (std::size_t n = 1; n <= calls.size(); ++n) {
    if (calls[n - 1].starts_with("MsgBox(")) continue;
    const std::string& failing = calls[n - 1];
    const HostState& expected = clean_before.at(failable++);
    std::shared_ptr<Recorder> recorder;
    {
      Start run(home);
      recorder = run.injection.recorder;
      recorder->fail_at = static_cast<int>(n);
      VARIANT_BOOL result = 7;
      EXPECT_EQ(run.load(result), kInjected) << failing;
      EXPECT_EQ(result, com::VARIANT_FALSE) << failing;
      const std::string member = failing.substr(0, failing.find('('));
      EXPECT_EQ(last_error(), member + ": injected failure");
      EXPECT_EQ(recorder->calls, std::vector<std::string>(calls.begin(), calls.begin() + n))
          << "calls went on after the failure of " << failing;
      EXPECT_TRUE(run.injection.state() == expected)
          << "the host's objects do not hold exactly the changes before " << failing;
    }
    EXPECT_EQ(recorder->live, 0) << "references left after the failure of " << failing;
  }
  EXPECT_EQ(failable, clean_before.size());
}

}  // namespace
}  // namespace tw::testing
