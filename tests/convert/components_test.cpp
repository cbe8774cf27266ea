// The importer and exporter components, created through the registry from
// their libraries, calling recording fakes of the platform's XML documents,
// the host's metadata document and the item's metadata holder.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/fakes.h"
#include "support/files.h"
#include "tidewise/platform.h"

namespace tw::testing {
namespace {

using com::IUnknown;

const std::string kMessage =
    "You must set the TIDEWISE_STYLESHEETS variable in your environment to reference Tidewise "
    "stylesheets";
// What the components are given; they must use it as it stands.
const std::string kSource = "/data/estuary survey.xml";
const std::string kDestination = "/exports/estuary.xml";
const std::string kConverted =
    "<metadata><dataIdInfo><idPurp>Sediment</idPurp></dataIdInfo>"
    "</metadata>";

std::string last_error() {
  const auto info = com::GetErrorInfo();
  return info ? info->description : "(no error information)";
}

// Sets or clears an environment variable for as long as it lives.
class Environment {
 public:
  Environment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~Environment() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// Serves a fake as a class: its creation is a call that is recorded and can fail.
class FakeFactory final : public com::Object<FakeFactory, com::IClassFactory> {
 public:
  FakeFactory(std::shared_ptr<Recorder> recorder, std::string name,
              std::function<ComPtr<IUnknown>()> make)
      : recorder_(std::move(recorder)), name_(std::move(name)), make_(std::move(make)) {}

  HRESULT CreateInstance(IUnknown*, const com::GUID& iid, void** out) noexcept override {
    *out = nullptr;
    if (const HRESULT hr = recorder_->enter("CoCreateInstance(" + name_ + ")"); com::failed(hr)) {
      return hr;
    }
    return make_()->QueryInterface(iid, out);
  }
  HRESULT LockServer(com::VARIANT_BOOL) noexcept override { return com::S_OK; }

 private:
  std::shared_ptr<Recorder> recorder_;
  std::string name_;
  std::function<ComPtr<IUnknown>()> make_;
};

// The component libraries registered in a temporary TIDEWISE_HOME, and the
// platform's and host's classes served by fakes.
class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* library : {TIDEWISE_IMPORTER_LIBRARY, TIDEWISE_EXPORTER_LIBRARY}) {
      void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
      ASSERT_NE(handle, nullptr) << ::dlerror();
      const auto entry =
          reinterpret_cast<HRESULT (*)() noexcept>(::dlsym(handle, "DllRegisterServer"));
      ASSERT_NE(entry, nullptr);
      ASSERT_EQ(entry(), com::S_OK);
      ::dlclose(handle);
    }
  }

  // Fresh fakes, served until the next call of serve() or the end of the test.
  void serve() {
    recorder = std::make_shared<Recorder>();
    holder = com::make_object<FakeHolder>(recorder);
    item_document = com::make_object<FakeDocument>(recorder);
    holder->metadata = ComPtr<IUnknown>(item_document->identity());
    services.reset();  // revokes the classes it served with its own
    services =
        std::make_unique<HostServices>(recorder, std::vector<std::pair<std::string, bool>>{});
    auto numbered = std::make_shared<int>(0);
    com::register_class_object(
        xml::CLSID_DOMDocument,
        com::make_object<FakeFactory>(recorder, "DOMDocument", [this, numbered] {
          auto document =
              com::make_object<FakeDomDocument>(recorder, "#" + std::to_string(++*numbered));
          for (const std::string& path : unloadable) document->unloadable[path] = true;
          document->output = kConverted;
          return ComPtr<IUnknown>(document->identity());
        }));
    com::register_class_object(
        host::CLSID_XmlMetadataDocument,
        com::make_object<FakeFactory>(recorder, "XmlMetadataDocument", [this] {
          auto document = com::make_object<FakeDocument>(recorder);
          return ComPtr<IUnknown>(document->identity());
        }));
  }

  void TearDown() override {
    item_document = nullptr;
    holder = nullptr;
    services.reset();
    com::ClearErrorInfo();
  }

  template <class I>
  ComPtr<I> create(const char* prog_id) {
    com::GUID clsid;
    EXPECT_EQ(com::CLSIDFromProgID(prog_id, &clsid), com::S_OK);
    ComPtr<I> object;
    EXPECT_EQ(com::CoCreateInstance(clsid, I::IID, object.put_void()), com::S_OK) << last_error();
    return object;
  }

  HRESULT import() {
    return create<host::IMetadataImport>("Importer.SampleImporter")
        ->Import(kSource, holder->identity());
  }
  HRESULT export_() {
    return create<host::IMetadataExport>("Exporter.SampleExporter")
        ->Export(holder->identity(), kDestination);
  }

  test::TempHome home_;
  std::shared_ptr<Recorder> recorder;
  std::set<std::string> unloadable;
  std::unique_ptr<HostServices> services;
  ComPtr<FakeHolder> holder;
  ComPtr<FakeDocument> item_document;
};

std::vector<std::string> new_document(const std::string& name) {
  return {"CoCreateInstance(DOMDocument)", "IXMLDOMDocument.async(False) " + name,
          "IXMLDOMDocument.validateOnParse(False) " + name,
          "IXMLDOMDocument.resolveExternals(False) " + name};
}

// `first` numbers the first DOM document the import creates.
std::vector<std::string> import_calls(const std::string& folder, int first = 1) {
  const std::string source = "#" + std::to_string(first);
  const std::string sheet = "#" + std::to_string(first + 1);
  std::vector<std::string> calls = new_document(source);
  calls.push_back("IXMLDOMDocument.load(\"" + kSource + "\") " + source);
  for (const std::string& call : new_document(sheet)) calls.push_back(call);
  calls.push_back("IXMLDOMDocument.load(\"" + folder + "\\toVelmarModel.xslt\") " + sheet);
  calls.push_back("IXMLDOMNode.transformNode(" + sheet + ") " + source);
  calls.emplace_back("CoCreateInstance(XmlMetadataDocument)");
  calls.push_back("IMetadataXml.LoadXmlText(\"" + kConverted + "\")");
  calls.emplace_back("IMetadataHolder.put_Metadata(document)");
  return calls;
}

std::vector<std::string> export_calls(const std::string& folder) {
  return {"IMetadataHolder.Metadata()", "IMetadataXml.TransformToFile(\"" + folder +
                                            "\\toTidewiseModel.xslt\", \"\", False, \"" +
                                            kDestination + "\")"};
}

TEST_F(ConvertTest, NamesAndDefaultFileNamesAreConstants) {
  serve();
  const auto importer = create<host::IMetadataImport>("Importer.SampleImporter");
  const auto exporter = create<host::IMetadataExport>("Exporter.SampleExporter");
  std::string name, file;
  EXPECT_EQ(importer->get_Name(&name), com::S_OK);
  EXPECT_EQ(name, "Tidewise Importer");
  EXPECT_EQ(importer->get_DefaultFilename(&file), com::S_OK);
  EXPECT_EQ(file, "myFile.xml");
  EXPECT_EQ(exporter->get_Name(&name), com::S_OK);
  EXPECT_EQ(name, "Tidewise Exporter");
  EXPECT_EQ(exporter->get_DefaultFilename(&file), com::S_OK);
  EXPECT_EQ(file, "myFile.xml");
  EXPECT_EQ(importer->get_Name(nullptr), com::E_POINTER);
  EXPECT_EQ(exporter->get_DefaultFilename(nullptr), com::E_POINTER);
  EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(ConvertTest, WithoutTheFolderOneMessageAndNothingElse) {
  for (const char* value : {static_cast<const char*>(nullptr), ""}) {
    const Environment folder("TIDEWISE_STYLESHEETS", value);
    serve();
    EXPECT_EQ(import(), com::S_OK);
    EXPECT_EQ(recorder->calls,
              std::vector<std::string>{"MsgBox(\"" + kMessage + "\", 0, \"Importer\")"});
    EXPECT_EQ(holder->received, nullptr);

    serve();
    EXPECT_EQ(export_(), com::S_OK);
    // The metadata is still asked for, once, before the folder is read.
    EXPECT_EQ(recorder->calls,
              (std::vector<std::string>{"IMetadataHolder.Metadata()",
                                        "MsgBox(\"" + kMessage + "\", 0, \"Exporter\")"}));
  }
}

TEST_F(ConvertTest, AnItemThatCannotGiveItsMetadataFailsTheExportEvenWithoutTheFolder) {
  const Environment folder("TIDEWISE_STYLESHEETS", nullptr);
  serve();
  recorder->fail_at = 1;
  EXPECT_EQ(export_(), kInjected);
  EXPECT_EQ(last_error(), "IMetadataHolder.Metadata: injected failure");
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"IMetadataHolder.Metadata()"});
}

TEST_F(ConvertTest, TheStylesheetPathIsTheFolderAndTheFileNameAsTheyStand) {
  // A folder that ends in a separator keeps it: the platform's file access
  // reads the doubled separator as one.
  for (const char* folder : {"/srv/sheets", "C:\\sheets\\", "relative dir"}) {
    const Environment variable("TIDEWISE_STYLESHEETS", folder);
    serve();
    EXPECT_EQ(import(), com::S_OK) << last_error();
    EXPECT_EQ(recorder->calls, import_calls(folder));
    ASSERT_NE(holder->received, nullptr);
    const auto* received = dynamic_cast<FakeDocument*>(holder->received.get());
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->loaded_xml, kConverted) << "the item receives the converted document";

    serve();
    EXPECT_EQ(export_(), com::S_OK) << last_error();
    EXPECT_EQ(recorder->calls, export_calls(folder));
  }
}

TEST_F(ConvertTest, EveryImportMakesItsOwnDocuments) {
  const Environment variable("TIDEWISE_STYLESHEETS", "/srv/sheets");
  serve();
  const auto importer = create<host::IMetadataImport>("Importer.SampleImporter");
  ASSERT_EQ(importer->Import(kSource, holder->identity()), com::S_OK);
  const ComPtr<host::IMetadataValues> first = holder->received;
  recorder->calls.clear();
  ASSERT_EQ(importer->Import(kSource, holder->identity()), com::S_OK);
  EXPECT_EQ(recorder->calls, import_calls("/srv/sheets", 3)) << "nothing is reused";
  EXPECT_NE(holder->received, first);
}

TEST_F(ConvertTest, AFileThatCannotBeLoadedEndsTheImportNamingItAndTheItemKeepsItsMetadata) {
  const Environment variable("TIDEWISE_STYLESHEETS", "/srv/sheets");
  const std::string stylesheet = "/srv/sheets\\toVelmarModel.xslt";
  const auto clean = import_calls("/srv/sheets");
  const struct {
    std::string path;
    std::size_t calls;  // made up to and with the load that failed
  } cases[] = {{kSource, 5}, {stylesheet, 10}};
  for (const auto& c : cases) {
    unloadable = {c.path};
    serve();
    EXPECT_EQ(import(), com::E_FAIL) << c.path;
    EXPECT_EQ(last_error(), "IXMLDOMDocument.load: \"" + c.path + "\" line 1: not XML");
    EXPECT_EQ(recorder->calls, std::vector<std::string>(clean.begin(), clean.begin() + c.calls));
    EXPECT_EQ(holder->received, nullptr);
    unloadable.clear();
  }
}

// Every call of a clean run fails in turn: the member stops there with that
// call's code and error information, calls nothing more, hands the item
// nothing, and releases every reference.
struct Sweep {
  const char* name;
  bool exporting;
};

class EveryCall : public ConvertTest, public ::testing::WithParamInterface<Sweep> {};

TEST_P(EveryCall, FailsWithItsCodeAndStopsThere) {
  const Environment variable("TIDEWISE_STYLESHEETS", "/srv/sheets");
  const bool exporting = GetParam().exporting;
  const auto clean = exporting ? export_calls("/srv/sheets") : import_calls("/srv/sheets");
  for (std::size_t n = 1; n <= clean.size(); ++n) {
    serve();
    recorder->fail_at = static_cast<int>(n);
    const HRESULT hr = exporting ? export_() : import();
    const std::string& failing = clean[n - 1];
    EXPECT_EQ(hr, kInjected) << failing;
    EXPECT_EQ(last_error(), failing.substr(0, failing.find('(')) + ": injected failure");
    EXPECT_EQ(recorder->calls, std::vector<std::string>(clean.begin(), clean.begin() + n))
        << "calls went on after the failure of " << failing;
    EXPECT_EQ(holder->received, nullptr) << "the item was handed a document";

    const auto watched = recorder;
    TearDown();
    EXPECT_EQ(watched->live, 0) << "references left after the failure of " << failing;
  }
}

INSTANTIATE_TEST_SUITE_P(Components, EveryCall,
                         ::testing::Values(Sweep{"Import", false}, Sweep{"Export", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tw::testing
