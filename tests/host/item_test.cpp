// The catalog item's metadata holder and the host's own classes: what an
// importer hands the item, what it refuses, and how the item reaches its file.

#include "tidewise/host/item.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/synchronizers.h"

namespace tw::host {
namespace {

using com::ComPtr;

std::string read_value(IUnknown& document, const std::string& path) {
  ComPtr<IMetadataValues> values;
  EXPECT_EQ(document.QueryInterface(IMetadataValues::IID, values.put_void()), com::S_OK);
  Variant found;
  EXPECT_EQ(values->ReadValues(path, &found), com::S_OK);
  const com::SafeArray* array = found.as_array();
  if (array == nullptr || array->elements.empty()) return "<none>";
  const std::string* text = array->elements.front().as_string();
  return text ? *text : "<not text>";
}

// A document of somebody else's: it offers the interfaces, but the host
// cannot write it to a file.
class ForeignDocument final : public com::Object<ForeignDocument, IMetadataValues, IMetadataXml> {
 public:
  HRESULT ReadValues(const std::string&, Variant* values) noexcept override {
    *values = Variant();
    return com::S_OK;
  }
  HRESULT WriteValue(const std::string&, const Variant&) noexcept override { return com::S_OK; }
  HRESULT WriteAttribute(const std::string&, const std::string&, const Variant&,
                         std::int32_t) noexcept override {
    return com::S_OK;
  }
  HRESULT ReadAttribute(const std::string&, const std::string&, Variant*) noexcept override {
    return com::S_OK;
  }
  HRESULT SetUpdateFlag(VARIANT_BOOL) noexcept override { return com::S_OK; }
  HRESULT LoadXmlText(const std::string&) noexcept override { return com::S_OK; }
  HRESULT TransformToFile(const std::string&, const std::string&, VARIANT_BOOL,
                          const std::string&) noexcept override {
    return com::S_OK;
  }
};
// Offers the values only.
class ValuesOnly final : public com::Object<ValuesOnly, IMetadataValues> {
 public:
  HRESULT ReadValues(const std::string&, Variant*) noexcept override { return com::S_OK; }
  HRESULT WriteValue(const std::string&, const Variant&) noexcept override { return com::S_OK; }
};

constexpr const char* kSurvey =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<metadata><dataIdInfo><idPurp>Shoreline change</idPurp></dataIdInfo>"
    "<surveyLog><run>3</run></surveyLog></metadata>\n";

class ItemTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return home_.path() / "survey.xml"; }

  test::TempHome home_;
};

TEST_F(ItemTest, AnItemWithoutAFileHoldsAnEmptyDocumentAndWritesNothing) {
  const auto item = CatalogItem::open(file());
  EXPECT_FALSE(item->modified());
  EXPECT_EQ(read_value(*item->document()->identity(), "dataIdInfo/idPurp"), "<none>");
  EXPECT_NE(item->document()->xml().find("metadata"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(ItemTest, MetadataGivesTheItemsOwnDocumentAndItsWritesReachTheFile) {
  test::write_file(file(), kSurvey);
  const auto item = CatalogItem::open(file());
  ComPtr<IUnknown> document;
  ASSERT_EQ(item->get_Metadata(document.put()), com::S_OK);
  EXPECT_EQ(read_value(*document.get(), "dataIdInfo/idPurp"), "Shoreline change");
  ASSERT_TRUE(document.try_as<IMetadataXml>()) << "the document offers its XML side as well";
  EXPECT_FALSE(item->modified());

  ASSERT_EQ(document.as<IMetadataValues>()->WriteValue("dataIdInfo/idPurp",
                                                       Variant::str("Erosion rates")),
            com::S_OK);
  EXPECT_TRUE(item->modified());
  item->save();
  EXPECT_EQ(test::names_in(home_.path()), std::vector<std::string>{"survey.xml"});
  const auto reopened = CatalogItem::open(file());
  EXPECT_EQ(read_value(*reopened->document()->identity(), "dataIdInfo/idPurp"), "Erosion rates");
  EXPECT_EQ(read_value(*reopened->document()->identity(), "surveyLog/run"), "3")
      << "content no page knows is kept";

  EXPECT_EQ(item->get_Metadata(nullptr), com::E_POINTER);
}

TEST_F(ItemTest, PutMetadataTakesACopyOfAHostDocument) {
  test::write_file(file(), kSurvey);
  const auto item = CatalogItem::open(file());
  const auto imported = com::make_object<XmlMetadataDocument>();
  imported->load_text("<metadata><dataIdInfo><idPurp>Imported</idPurp></dataIdInfo></metadata>");

  ASSERT_EQ(item->put_Metadata(imported.get()), com::S_OK);
  EXPECT_TRUE(item->modified());
  EXPECT_EQ(read_value(*item->document()->identity(), "dataIdInfo/idPurp"), "Imported");
  EXPECT_EQ(read_value(*item->document()->identity(), "surveyLog/run"), "<none>");

  ASSERT_EQ(imported->WriteValue("dataIdInfo/idPurp", Variant::str("Changed later")), com::S_OK);
  EXPECT_EQ(read_value(*item->document()->identity(), "dataIdInfo/idPurp"), "Imported")
      << "the importer's later changes do not reach the item";
  item->save();
  EXPECT_EQ(read_value(*CatalogItem::open(file())->document()->identity(), "dataIdInfo/idPurp"),
            "Imported");
}

TEST_F(ItemTest, AfterPutMetadataNeitherSidesWritesReachTheOther) {
  const auto item = CatalogItem::open(file());
  const auto imported = com::make_object<XmlMetadataDocument>();
  imported->load_text("<metadata><dataIdInfo><idPurp>Imported</idPurp></dataIdInfo></metadata>");
  ASSERT_EQ(item->put_Metadata(imported.get()), com::S_OK);

  // The item writes first this time, then the importer.
  ASSERT_EQ(item->document()->WriteAttribute("dataIdInfo/idPurp", "ns", Variant::str("item"), 1),
            com::S_OK);
  ASSERT_EQ(imported->WriteValue("dataIdInfo/idPurp", Variant::str("Importer's")), com::S_OK);
  EXPECT_EQ(read_value(*item->document()->identity(), "dataIdInfo/idPurp"), "Imported");
  EXPECT_EQ(imported->xml().find("ns=\"item\""), std::string::npos);
  EXPECT_NE(item->document()->xml().find("<idPurp ns=\"item\">Imported</idPurp>"),
            std::string::npos);
}

TEST_F(ItemTest, PutMetadataRefusesWhatTheHostCannotKeep) {
  test::write_file(file(), kSurvey);
  const auto item = CatalogItem::open(file());
  const auto foreign = com::make_object<ForeignDocument>();
  const auto values_only = com::make_object<ValuesOnly>();
  struct Case {
    IMetadataValues* document;
    HRESULT code;
  };
  const Case cases[] = {
      {nullptr, com::E_POINTER},
      {values_only.get(), com::E_NOINTERFACE},
      {foreign.get(), com::E_INVALIDARG},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(item->put_Metadata(c.document), c.code);
    const auto info = com::GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_NE(info->description.find("put_Metadata"), std::string::npos) << info->description;
    EXPECT_FALSE(item->modified());
    EXPECT_EQ(read_value(*item->document()->identity(), "dataIdInfo/idPurp"), "Shoreline change");
  }
}

TEST_F(ItemTest, AnUnreadableItemFileIsAnError) {
  test::write_file(file(), "<metadata><unclosed></metadata>");
  EXPECT_THROW(CatalogItem::open(file()), com::Error);
  EXPECT_EQ(test::read_file(file()), "<metadata><unclosed></metadata>");
}

// ---- The host's classes

class HostClassesTest : public ::testing::Test {
 protected:
  void TearDown() override { com::revoke_class_objects(); }
  test::TempHome home_;
};

TEST_F(HostClassesTest, ServedClassesAreCreatedInProcessWithTheirInterfaces) {
  serve_host_classes();
  ComPtr<IMetadataXml> document;
  ASSERT_EQ(
      com::CoCreateInstance(CLSID_XmlMetadataDocument, IMetadataXml::IID, document.put_void()),
      com::S_OK);
  EXPECT_TRUE(document.try_as<IMetadataValues>());
  ComPtr<ISynchronizerList> list;
  ASSERT_EQ(com::CoCreateInstance(CLSID_SynchronizerList, ISynchronizerList::IID, list.put_void()),
            com::S_OK);
  std::int32_t count = 0;
  ASSERT_EQ(list->get_Count(&count), com::S_OK);
  EXPECT_EQ(count, 3);
}

TEST_F(HostClassesTest, ADamagedSettingsFileFailsTheCreationOfTheList) {
  serve_host_classes();
  test::write_file(home_.path() / "settings.json", "{");
  ISynchronizerList* list = reinterpret_cast<ISynchronizerList*>(std::uintptr_t{0x10});
  EXPECT_EQ(com::CoCreateInstance(CLSID_SynchronizerList, ISynchronizerList::IID,
                                  reinterpret_cast<void**>(&list)),
            com::E_FAIL);
  EXPECT_EQ(list, nullptr);
  const auto info = com::GetErrorInfo();
  ASSERT_TRUE(info);
  EXPECT_NE(info->description.find("settings.json"), std::string::npos) << info->description;
}

TEST_F(HostClassesTest, RegistrationNamesTheProgramThatServesThemAndIsUndoneExactly) {
  const std::filesystem::path program = "/opt/tidewise/bin/tidewise";
  register_host_classes(program);
  const com::Registry registry = com::Registry::open();
  for (const auto& [prog_id, clsid] :
       {std::pair{"TidewiseHost.XmlMetadataDocument", CLSID_XmlMetadataDocument},
        std::pair{"TidewiseHost.SynchronizerList", CLSID_SynchronizerList}}) {
    GUID found{};
    ASSERT_EQ(com::CLSIDFromProgID(prog_id, &found), com::S_OK) << prog_id;
    EXPECT_EQ(found, clsid);
    const std::string key = "CLSID\\" + com::to_string(clsid);
    EXPECT_EQ(registry.get(key + "\\LocalServer32"), program.string());
    EXPECT_FALSE(registry.has_key(key + "\\InprocServer32"));
  }
  // Not served in this process and not a library: creation says so.
  ComPtr<IUnknown> object;
  EXPECT_EQ(com::CoCreateInstance(CLSID_SynchronizerList, IUnknown::IID, object.put_void()),
            com::CLASS_E_CLASSNOTAVAILABLE);
  com::ClearErrorInfo();

  unregister_host_classes();
  EXPECT_TRUE(com::Registry::open().keys().empty());
}

}  // namespace
}  // namespace tw::host
