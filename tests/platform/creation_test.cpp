// Self-registration of a component library and creation of its classes
// through the registry, with the library loaded from its registered path.

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "support/files.h"
#include "support/test_component.h"
#include "tidewise/com/factory.h"
#include "tidewise/com/registry.h"

namespace tw::com {
namespace {

namespace fs = std::filesystem;
using test::ITestGadget;
using test::ITestWidget;
using test::kGadgetClsid;
using test::kGadgetProgId;
using test::kTestLibraryId;
using test::kWidgetClsid;
using test::kWidgetProgId;
using test::TempHome;

using EntryPoint = HRESULT (*)() noexcept;
using GetClassObject = HRESULT (*)(const GUID&, const GUID&, void**) noexcept;

constexpr GUID kUnknownClsid = guid("{0BADC0DE-0000-4000-8000-000000000001}");

struct IMissing : IUnknown {
  static constexpr GUID IID = guid("{0BADC0DE-0000-4000-8000-000000000002}");
  static constexpr std::string_view Name = "IMissing";

 protected:
  ~IMissing() = default;
};

fs::path component_path() {
  return fs::canonical(TIDEWISE_TEST_COMPONENT);
}

// A library opened by the test itself, to reach its exports.
class Library {
 public:
  explicit Library(const fs::path& path, int flags = RTLD_NOW | RTLD_LOCAL)
      : handle_(::dlopen(path.c_str(), flags)) {}
  ~Library() {
    if (handle_) ::dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Whether the process has the library loaded, without loading it.
  static bool loaded(const fs::path& path) {
    return Library(path, RTLD_NOW | RTLD_NOLOAD).handle_ != nullptr;
  }

  explicit operator bool() const { return handle_ != nullptr; }
  template <class F>
  F entry(const char* name) const {
    return reinterpret_cast<F>(::dlsym(handle_, name));
  }

 private:
  void* handle_;
};

std::string clsid_key(const GUID& clsid) {
  return "CLSID\\" + to_string(clsid);
}

void set_server(const GUID& clsid, const std::string& server_key, const std::string& path) {
  Registry registry = Registry::open();
  registry.remove_tree(clsid_key(clsid) + "\\InprocServer32");
  registry.set(clsid_key(clsid) + "\\" + server_key, "", path);
  registry.save();
}

void forget_class(const GUID& clsid) {
  Registry registry = Registry::open();
  registry.remove_tree(clsid_key(clsid));
  registry.save();
}

// A widget served by the test executable itself.
class LocalWidget final : public Object<LocalWidget, ITestWidget> {
 public:
  HRESULT Origin(std::string* origin) noexcept override {
    return boundary("ITestWidget.Origin", [&] { out_param(origin) = "executable"; });
  }
  HRESULT Fail(HRESULT code) noexcept override {
    return boundary("ITestWidget.Fail", [&] { raise(code, "asked to fail locally"); });
  }
};
ComPtr<IUnknown> create_local_widget() {
  return ComPtr<IUnknown>(make_object<LocalWidget>()->identity());
}
constexpr ClassEntry kLocalWidget{kWidgetClsid,     "Widget",          kWidgetProgId,
                                  ITestWidget::IID, ITestWidget::Name, &create_local_widget};

class Creation : public testing::Test {
 protected:
  void TearDown() override {
    revoke_class_objects();
    ClearErrorInfo();
  }

  HRESULT call(const char* export_name) {
    const Library library(component_path());
    const auto entry = library.entry<EntryPoint>(export_name);
    if (!entry) {
      ADD_FAILURE() << export_name << " is not exported";
      return E_FAIL;
    }
    return entry();
  }

  // A copy of the library under a path no test has loaded yet, serving the
  // widget class: so that a test sees its own first load and its own counts.
  fs::path fresh_copy_serving_widget() {
    EXPECT_EQ(call("DllRegisterServer"), S_OK);
    fs::path copy = home_.path() / "copy-of-component.so";
    fs::copy_file(component_path(), copy);
    set_server(kWidgetClsid, "InprocServer32", copy.string());
    return copy;
  }

  static std::string origin_of(const ComPtr<ITestWidget>& widget) {
    std::string origin;
    EXPECT_EQ(widget->Origin(&origin), S_OK);
    return origin;
  }

  TempHome home_;
};

// The symbols a library file itself exports (defined, global or weak, visible),
// read from its dynamic symbol table: what dlsym would find in the library
// alone, not in the libraries it depends on.
std::vector<std::string> exported_symbols(const fs::path& library) {
  const std::string image = test::read_file(library);
  const auto at = [&](std::size_t offset, std::size_t size) {
    if (offset > image.size() || size > image.size() - offset) {
      throw std::runtime_error(library.string() + " is not a whole ELF file");
    }
    return image.data() + offset;
  };
  Elf64_Ehdr header;
  std::memcpy(&header, at(0, sizeof header), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) {
    throw std::runtime_error(library.string() + " is not a 64-bit ELF file");
  }
  const auto section = [&](std::size_t index) {
    Elf64_Shdr s;
    std::memcpy(&s, at(header.e_shoff + index * header.e_shentsize, sizeof s), sizeof s);
    return s;
  };
  std::vector<std::string> names;
  for (std::size_t i = 0; i < header.e_shnum; ++i) {
    const Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr strings = section(symbols.sh_link);
    for (std::size_t offset = 0; offset + sizeof(Elf64_Sym) <= symbols.sh_size;
         offset += sizeof(Elf64_Sym)) {
      Elf64_Sym symbol;
      std::memcpy(&symbol, at(symbols.sh_offset + offset, sizeof symbol), sizeof symbol);
      const unsigned binding = ELF64_ST_BIND(symbol.st_info);
      const bool visible = ELF64_ST_VISIBILITY(symbol.st_other) == STV_DEFAULT ||
                           ELF64_ST_VISIBILITY(symbol.st_other) == STV_PROTECTED;
      if (symbol.st_shndx == SHN_UNDEF || !visible ||
          (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE)) {
        continue;
      }
      names.emplace_back(at(strings.sh_offset + symbol.st_name, 1));
    }
  }
  return names;
}

TEST_F(Creation, ComponentLibrariesExportTheirFourEntryPointsAndNothingOfTheRuntime) {
  const fs::path bin(TIDEWISE_BIN_DIR);
  for (const fs::path& library :
       {component_path(), bin / "TidewiseCustomPage.so", bin / "Importer.so", bin / "Exporter.so",
        bin / "TidewiseXml.so"}) {
    const std::vector<std::string> names = exported_symbols(library);
    for (const char* entry :
         {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
      EXPECT_EQ(std::count(names.begin(), names.end(), entry), 1) << library << ": " << entry;
    }
    // Its objects and counts are its own: nothing of namespace tw is shared
    // with the process (a mangled name of ours holds "N2tw").
    for (const std::string& name : names) {
      EXPECT_EQ(name.find("N2tw"), std::string::npos) << library << " exports " << name;
    }
  }
}

TEST_F(Creation, RegisterWritesClassProgIdInterfaceAndTypeLibrary) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  const std::string path = component_path().string();
  const std::string libid = to_string(kTestLibraryId);
  std::map<std::string, Registry::Values> expected;
  const auto expect_class = [&](const GUID& clsid, const char* name, const char* prog_id,
                                const GUID& iid, std::string_view interface_name) {
    const std::string c = clsid_key(clsid);
    expected[c] = {{"", name}};
    expected[c + "\\InprocServer32"] = {{"", path}, {"ThreadingModel", "Apartment"}};
    expected[c + "\\ProgID"] = {{"", prog_id}};
    expected[c + "\\TypeLib"] = {{"", libid}};
    expected[prog_id] = {{"", name}};
    expected[std::string(prog_id) + "\\CLSID"] = {{"", to_string(clsid)}};
    expected["Interface\\" + to_string(iid)] = {{"", std::string(interface_name)}};
    expected["Interface\\" + to_string(iid) + "\\TypeLib"] = {{"", libid}, {"Version", "1.0"}};
  };
  expect_class(kWidgetClsid, "Widget", kWidgetProgId, ITestWidget::IID, ITestWidget::Name);
  expect_class(kGadgetClsid, "Gadget", kGadgetProgId, ITestGadget::IID, ITestGadget::Name);
  expected["TypeLib\\" + libid + "\\1.0"] = {{"", "TidewiseTestLib"}};
  expected["TypeLib\\" + libid + "\\1.0\\0\\linux"] = {{"", path}};

  EXPECT_EQ(Registry::open().keys(), expected);
  // Registering again changes nothing, and leaves no temporary file.
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  EXPECT_EQ(Registry::open().keys(), expected);
  EXPECT_EQ(test::names_in(home_.path()), std::vector<std::string>{"registry.json"});
}

TEST_F(Creation, UnregisterRemovesExactlyItsOwnEntries) {
  const std::string libid = to_string(kTestLibraryId);
  const std::string other_clsid = "{0BADC0DE-0000-4000-8000-0000000000AA}";
  {
    Registry registry = Registry::open();
    registry.set("CLSID\\" + other_clsid, "", "Other");
    registry.set("CLSID\\" + other_clsid + "\\InprocServer32", "", "/elsewhere/Other.so");
    registry.set(std::string(kWidgetProgId) + "2", "", "a name that begins like ours");
    registry.set(std::string(kWidgetProgId) + "2\\CLSID", "", other_clsid);
    registry.set(clsid_key(kWidgetClsid) + "Suffix", "", "a key that begins like ours");
    // Another version of the same type library, installed beside ours.
    registry.set("TypeLib\\" + libid, "", "TidewiseTestLib");
    registry.set("TypeLib\\" + libid + "\\2.0", "", "TidewiseTestLib");
    registry.set("TypeLib\\" + libid + "\\2.0\\0\\linux", "", "/elsewhere/TestLib2.so");
    registry.save();
  }
  auto expected = Registry::open().keys();

  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  {
    // Since then another library has taken over the gadget's programmatic
    // identifier and its interface: those are no longer ours to remove.
    Registry registry = Registry::open();
    registry.set(std::string(kGadgetProgId) + "\\CLSID", "", other_clsid);
    registry.set("Interface\\" + to_string(ITestGadget::IID) + "\\TypeLib", "", other_clsid);
    registry.save();
    for (const std::string& key :
         {std::string(kGadgetProgId), std::string(kGadgetProgId) + "\\CLSID",
          "Interface\\" + to_string(ITestGadget::IID),
          "Interface\\" + to_string(ITestGadget::IID) + "\\TypeLib"}) {
      expected[key] = registry.keys().at(key);
    }
  }

  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  EXPECT_EQ(Registry::open().keys(), expected);
}

TEST_F(Creation, UnregisterDropsTheTypeLibraryKeyWhenNoVersionIsLeft) {
  {
    Registry registry = Registry::open();
    registry.set("TypeLib\\" + to_string(kTestLibraryId), "", "TidewiseTestLib");
    registry.save();
  }
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  EXPECT_TRUE(Registry::open().keys().empty());
}

TEST_F(Creation, CLSIDFromProgIDFindsRegisteredNamesOnly) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  {
    Registry registry = Registry::open();
    registry.set("Broken.Name\\CLSID", "", "{not a class id}");
    registry.set("Without.Class", "", "a name with no CLSID key");
    registry.save();
  }
  struct Case {
    const char* prog_id;
    HRESULT code;
    GUID clsid;
  };
  const Case cases[] = {
      {kWidgetProgId, S_OK, kWidgetClsid},
      {kGadgetProgId, S_OK, kGadgetClsid},
      {"TidewiseTest.Unknown", CO_E_CLASSSTRING, GUID{}},
      {"", CO_E_CLASSSTRING, GUID{}},
      {"Broken.Name", CO_E_CLASSSTRING, GUID{}},
      {"Without.Class", CO_E_CLASSSTRING, GUID{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prog_id);
    GUID clsid = kUnknownClsid;  // cleared on failure
    EXPECT_EQ(CLSIDFromProgID(c.prog_id, &clsid), c.code);
    EXPECT_EQ(clsid, c.clsid);
    const auto info = GetErrorInfo();
    if (failed(c.code)) {
      ASSERT_TRUE(info.has_value());
      EXPECT_EQ(info->description,
                "CLSIDFromProgID: \"" + std::string(c.prog_id) + "\" is not registered");
    } else {
      EXPECT_EQ(info, std::nullopt);
    }
  }
  EXPECT_EQ(CLSIDFromProgID(kWidgetProgId, nullptr), E_POINTER);
}

TEST_F(Creation, FailuresOfCoCreateInstanceHaveTheirOwnCodes) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  const fs::path not_a_library = home_.path() / "not-a-library.so";
  test::write_file(not_a_library, "plain text");
  struct Case {
    const char* name;
    GUID clsid;
    const char* server_key;  // null: leave the registry as registered
    std::string server;
    GUID iid;
    HRESULT code;
    std::string description_start;
  };
  const Case cases[] = {
      {"unregistered class", kUnknownClsid, nullptr, "", IUnknown::IID, REGDB_E_CLASSNOTREG,
       "CoCreateInstance: the class " + to_string(kUnknownClsid) + " is not registered"},
      {"missing library", kUnknownClsid, "InprocServer32", (home_.path() / "gone.so").string(),
       IUnknown::IID, CO_E_DLLNOTFOUND,
       "CoCreateInstance: cannot load \"" + (home_.path() / "gone.so").string() + "\""},
      {"file that is no library", kUnknownClsid, "InprocServer32", not_a_library.string(),
       IUnknown::IID, CO_E_DLLNOTFOUND,
       "CoCreateInstance: cannot load \"" + not_a_library.string() + "\""},
      {"library without DllGetClassObject", kUnknownClsid, "InprocServer32",
       fs::canonical(TIDEWISE_PLATFORM_LIBRARY).string(), IUnknown::IID, CO_E_ERRORINDLL,
       "CoCreateInstance: \"" + fs::canonical(TIDEWISE_PLATFORM_LIBRARY).string() +
           "\" exports no DllGetClassObject"},
      {"class the library does not serve", kUnknownClsid, "InprocServer32",
       component_path().string(), IUnknown::IID, CLASS_E_CLASSNOTAVAILABLE, "DllGetClassObject: "},
      {"class served by a program", kUnknownClsid, "LocalServer32", "/usr/bin/true", IUnknown::IID,
       CLASS_E_CLASSNOTAVAILABLE, "CoCreateInstance: the class "},
      {"interface the class lacks", kWidgetClsid, nullptr, "", IMissing::IID, E_NOINTERFACE,
       "IClassFactory.CreateInstance: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.server_key) set_server(c.clsid, c.server_key, c.server);
    int sentinel = 0;
    void* out = &sentinel;
    EXPECT_EQ(CoCreateInstance(c.clsid, c.iid, &out), c.code) << hresult_name(c.code);
    EXPECT_EQ(out, nullptr);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->description.rfind(c.description_start, 0), 0u) << info->description;
    if (c.server_key) forget_class(c.clsid);
  }
  EXPECT_EQ(CoCreateInstance(kWidgetClsid, ITestWidget::IID, nullptr), E_POINTER);
}

// A library file cut short used to bring the process down with SIGBUS inside
// dlopen; now it fails to load, naming the file, as anything not a library.
TEST_F(Creation, ALibraryFileThatIsNotWholeFailsToLoad) {
  const std::string library = test::read_file(component_path());
  ASSERT_GT(library.size(), 8192u);
  const struct {
    std::string content;
    std::string message;
  } cases[] = {
      {library.substr(0, library.size() / 2), "the file is cut short: its headers describe"},
      {library.substr(0, library.size() - 100), "the file is cut short"},
      {library.substr(0, 4096), "the file is cut short"},  // inside the first segment
      {library.substr(0, 200), "the file is cut short"},
      {library.substr(0, 40), "it is not a shared library (no ELF header)"},
      {"", "it is not a shared library (no ELF header)"},
      {"#!/bin/sh\necho not a library\n", "it is not a shared library (no ELF header)"},
  };
  EXPECT_EQ(call("DllRegisterServer"), S_OK);
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const fs::path file = home_.path() / ("cut-" + std::to_string(n++) + ".so");
    test::write_file(file, c.content);
    try {
      (void)load_library(file);
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), CO_E_DLLNOTFOUND);
      EXPECT_EQ(
          std::string(e.what()).rfind("cannot load \"" + file.string() + "\": " + c.message, 0), 0u)
          << e.what();
    }
    set_server(kWidgetClsid, "InprocServer32", file.string());
    ComPtr<ITestWidget> widget;
    EXPECT_EQ(CoCreateInstance(kWidgetClsid, ITestWidget::IID, widget.put_void()),
              CO_E_DLLNOTFOUND);
    EXPECT_FALSE(Library::loaded(file));
  }
  // The whole file loads.
  const fs::path whole = home_.path() / "whole.so";
  test::write_file(whole, library);
  set_server(kWidgetClsid, "InprocServer32", whole.string());
  ComPtr<ITestWidget> widget;
  EXPECT_EQ(CoCreateInstance(kWidgetClsid, ITestWidget::IID, widget.put_void()), S_OK);
}

TEST_F(Creation, CreationByProgIdLoadsTheLibraryOnFirstUse) {
  const fs::path copy = fresh_copy_serving_widget();
  EXPECT_FALSE(Library::loaded(copy));
  const ComPtr<ITestWidget> widget = create_instance<ITestWidget>(kWidgetProgId);
  ASSERT_TRUE(widget);
  EXPECT_TRUE(Library::loaded(copy));
  EXPECT_EQ(origin_of(widget), "library");
  // A second object comes from the library already loaded.
  const ComPtr<ITestWidget> second = create_instance<ITestWidget>(kWidgetClsid);
  EXPECT_NE(second, widget);
  EXPECT_EQ(origin_of(second), "library");
}

TEST_F(Creation, CanUnloadOnlyWhenNoObjectLivesAndNoLockIsHeld) {
  const fs::path copy = fresh_copy_serving_widget();
  ComPtr<ITestWidget> widget = create_instance<ITestWidget>(kWidgetClsid);
  const Library library(copy, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_TRUE(library);
  const auto can_unload_now = library.entry<EntryPoint>("DllCanUnloadNow");
  const auto get_class_object = library.entry<GetClassObject>("DllGetClassObject");
  ASSERT_TRUE(can_unload_now && get_class_object);

  EXPECT_EQ(can_unload_now(), S_FALSE);
  widget = nullptr;
  EXPECT_EQ(can_unload_now(), S_OK);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get_class_object(kWidgetClsid, IClassFactory::IID, factory.put_void()), S_OK);
  EXPECT_EQ(can_unload_now(), S_FALSE);  // the factory is an object too
  EXPECT_EQ(factory->LockServer(VARIANT_TRUE), S_OK);
  factory = nullptr;
  EXPECT_EQ(can_unload_now(), S_FALSE);  // locked
  ASSERT_EQ(get_class_object(kWidgetClsid, IClassFactory::IID, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(VARIANT_FALSE), S_OK);
  factory = nullptr;
  EXPECT_EQ(can_unload_now(), S_OK);

  void* out = &out;
  EXPECT_EQ(get_class_object(kUnknownClsid, IClassFactory::IID, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(get_class_object(kWidgetClsid, IClassFactory::IID, nullptr), E_POINTER);
  EXPECT_EQ(can_unload_now(), S_OK);
}

TEST_F(Creation, TheFactoryRefusesAggregation) {
  const Library library(component_path());
  const auto get_class_object = library.entry<GetClassObject>("DllGetClassObject");
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get_class_object(kWidgetClsid, IClassFactory::IID, factory.put_void()), S_OK);
  const auto outer = make_object<LocalWidget>();
  void* out = &out;
  EXPECT_EQ(factory->CreateInstance(outer->identity(), ITestWidget::IID, &out),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, ITestWidget::IID, nullptr), E_POINTER);
}

TEST_F(Creation, ClassesServedByTheExecutableComeBeforeTheRegistry) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  register_class_object(kWidgetClsid, make_object<ClassFactory>(kLocalWidget));
  EXPECT_EQ(origin_of(create_instance<ITestWidget>(kWidgetProgId)), "executable");
  revoke_class_objects();
  EXPECT_EQ(origin_of(create_instance<ITestWidget>(kWidgetProgId)), "library");
}

TEST_F(Creation, ClassesServedByTheExecutableNeedNoRegistry) {
  register_class_object(kWidgetClsid, make_object<ClassFactory>(kLocalWidget));
  EXPECT_EQ(origin_of(create_instance<ITestWidget>(kWidgetClsid)), "executable");
  EXPECT_FALSE(fs::exists(home_.registry_file()));
}

TEST_F(Creation, AnErrorRaisedInTheLibraryReachesTheCallerWithItsCodeAndText) {
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  const auto widget = create_instance<ITestWidget>(kWidgetClsid);
  EXPECT_EQ(widget->Fail(E_ACCESSDENIED), E_ACCESSDENIED);
  auto info = GetErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->source, "ITestWidget.Fail");
  EXPECT_EQ(info->description, "ITestWidget.Fail: asked to fail");

  // And through a member of the caller that tests the call.
  EXPECT_EQ(
      boundary("IHost.Run", [&] { check(widget->Fail(DISP_E_BADINDEX), "ITestWidget.Fail"); }),
      DISP_E_BADINDEX);
  info = GetErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->description, "ITestWidget.Fail: asked to fail");
}

TEST_F(Creation, ADamagedRegistryFailsCreationAndRegistrationAndIsLeftAlone) {
  const std::string damaged = "{\"CLSID\\\\{X}\": ";
  test::write_file(home_.registry_file(), damaged);
  struct Case {
    const char* name;
    std::function<HRESULT()> run;
  };
  GUID clsid;
  void* out = nullptr;
  const Case cases[] = {
      {"CLSIDFromProgID", [&] { return CLSIDFromProgID(kWidgetProgId, &clsid); }},
      {"CoCreateInstance", [&] { return CoCreateInstance(kWidgetClsid, IUnknown::IID, &out); }},
      {"DllRegisterServer", [&] { return call("DllRegisterServer"); }},
      {"DllUnregisterServer", [&] { return call("DllUnregisterServer"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.run(), E_FAIL);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->description.rfind(std::string(c.name) + ": the registry \"" +
                                          home_.registry_file().string() + "\" is damaged",
                                      0),
              0u)
        << info->description;
    EXPECT_EQ(test::read_file(home_.registry_file()), damaged);
  }
}

}  // namespace
}  // namespace tw::com
