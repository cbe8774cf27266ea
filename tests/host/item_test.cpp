// The catalog item's metadata holder and the host's own classes: what an
// importer hands the item, what it refuses, and how the item reaches its file.

#include "tidewise/host/item.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <latch>
#include <thread>

#include "support/files.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/synchronizers.h"

namespace tw::host {

// Called as the platform renames a file into place, when set.
std::function<void()>* renaming = nullptr;

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

// Larger than one read of the file, and not a whole number of words long:
// the content's hash must not depend on the pieces it was read in.
std::string large_survey() {
  std::string text = kSurvey;
  std::string log = "<surveyLog>";
  for (int run = 0; run < 9001; ++run) log += "<run>" + std::to_string(run) + "</run>";
  text.insert(text.find("</metadata>"), log + "</surveyLog>");
  return text;
}

// Another program's change that keeps the file's size and modification time:
// only the content tells.
void rewrite_keeping_size_and_time(const std::filesystem::path& file, std::string_view from,
                                   std::string_view to) {
  ASSERT_EQ(from.size(), to.size());
  const struct stat before = test::stat_of(file);
  std::string content = test::read_file(file);
  const std::size_t at = content.rfind(from);
  ASSERT_NE(at, std::string::npos);
  content.replace(at, from.size(), to);
  test::write_file(file, content);
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  ASSERT_EQ(test::stat_of(file).st_size, before.st_size);
}

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
  EXPECT_EQ(test::names_in(home_.path()), std::vector<std::string>{"survey.xml"})
      << "no temporary or lock file is left beside it";
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
  // Neither is a path that names no file: no lock file is made for it.
  for (const std::filesystem::path& path : {std::filesystem::path(), home_.path() / "folder/"}) {
    EXPECT_THROW(CatalogItem::open(path, CatalogItem::Access::Edit), com::Error) << path;
  }
  EXPECT_EQ(test::names_in(home_.path()), std::vector<std::string>{"survey.xml"});
}

// ---- Saving only over what was read

std::string purpose_of(const std::filesystem::path& file) {
  return read_value(*CatalogItem::open(file, CatalogItem::Access::Read)->document()->identity(),
                    "dataIdInfo/idPurp");
}

void write_purpose(const ComPtr<CatalogItem>& item, const std::string& text) {
  ASSERT_EQ(item->document()->WriteValue("dataIdInfo/idPurp", Variant::str(text)), com::S_OK);
}

// Whether somebody holds the item's lock now.
bool locked(const std::filesystem::path& item) {
  const int fd = ::open(ItemLock::lock_file(item).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  EXPECT_GE(fd, 0);
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return busy;
}

TEST_F(ItemTest, ASaveOverAFileChangedSinceItWasReadIsRefusedAndWritesNothing) {
  const std::string theirs =
      "<metadata><dataIdInfo><idPurp>Written by another program</idPurp></dataIdInfo>"
      "</metadata>\n";
  struct Change {
    const char* name;
    std::function<void(const std::filesystem::path&)> make;
  };
  const Change changes[] = {
      {"rewritten in place", [&](const auto& f) { test::write_file(f, theirs); }},
      {"replaced by another file",
       [&](const auto& f) {
         test::write_file(f.string() + ".new", theirs);
         std::filesystem::rename(f.string() + ".new", f);
       }},
      {"same size and time, other content",
       [&](const auto& f) { rewrite_keeping_size_and_time(f, "Shoreline", "Coastline"); }},
      {"same size and time, other content past the first read",
       [&](const auto& f) {
         rewrite_keeping_size_and_time(f, "<run>9000</run>", "<run>9009</run>");
       }},
      {"removed", [&](const auto& f) { std::filesystem::remove(f); }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    for (const auto access : {CatalogItem::Access::Edit, CatalogItem::Access::Read}) {
      test::write_file(file(), large_survey());
      const auto item = CatalogItem::open(file(), access);
      write_purpose(item, "Ours");
      change.make(file());
      const bool existed = std::filesystem::exists(file());
      const std::string before = existed ? test::read_file(file()) : "";
      try {
        item->save();
        ADD_FAILURE() << "the save went over the other program's change";
      } catch (const com::Error& e) {
        EXPECT_EQ(e.code(), com::E_FAIL);
        EXPECT_NE(std::string(e.what()).find("was changed by another program since it was read"),
                  std::string::npos)
            << e.what();
      }
      EXPECT_EQ(std::filesystem::exists(file()), existed);
      if (existed) {
        EXPECT_EQ(test::read_file(file()), before);
      }
    }
  }
  // A file that appears where there was none is somebody else's too.
  std::filesystem::remove(file());
  const auto item = CatalogItem::open(file());
  write_purpose(item, "Ours");
  test::write_file(file(), theirs);
  EXPECT_THROW(item->save(), com::Error);
  EXPECT_EQ(test::read_file(file()), theirs);
}

// Text in another encoding, as a file in it would hold it.
std::string encoded(const std::string& utf8, const char* encoding) {
  const iconv_t convert = ::iconv_open(encoding, "UTF-8");
  EXPECT_NE(convert, reinterpret_cast<iconv_t>(-1)) << encoding;
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* at = out.data();
  std::size_t out_left = out.size();
  EXPECT_NE(::iconv(convert, &in, &in_left, &at, &out_left), static_cast<std::size_t>(-1))
      << encoding;
  ::iconv_close(convert);
  out.resize(out.size() - out_left);
  return out;
}

// An item is saved so that it reads back: in the encoding it declares, also
// where that encoding writes ASCII as other bytes (UTF-16 under names other
// than "UTF-16", the EBCDIC code pages), which used to get a declaration in
// ASCII before a body in the encoding: a file nobody could read.
TEST_F(ItemTest, AnItemIsSavedInItsEncodingSoThatItReadsBack) {
  for (const char* encoding :
       {"UTF16", "UTF16LE", "UTF16BE", "UNICODE", "UNICODEBIG", "CSUNICODE", "UTF-16", "IBM037",
        "IBM1047", "CP1047", "EBCDIC-US", "IBM500", "IBM273", "ISO-8859-1", "windows-1252"}) {
    SCOPED_TRACE(encoding);
    test::write_file(file(), encoded(std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
                                         "\"?>\n<metadata><dataIdInfo><idPurp>Shoreline"
                                         "</idPurp></dataIdInfo></metadata>\n",
                                     encoding));
    ASSERT_EQ(purpose_of(file()), "Shoreline");
    const auto item = CatalogItem::open(file(), CatalogItem::Access::Edit);
    write_purpose(item, "Qualit\u00e9 c\u00f4ti\u00e8re \u20ac \U0001F30A");
    item->save();
    EXPECT_EQ(purpose_of(file()), "Qualit\u00e9 c\u00f4ti\u00e8re \u20ac \U0001F30A");
    const auto reread = CatalogItem::open(file());
    ASSERT_NE(reread->document()->doc().encoding, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(reread->document()->doc().encoding), encoding)
        << "the item keeps its encoding";
  }
}

TEST_F(ItemTest, ItsOwnSavesFollowEachOther) {
  for (const std::string& content : {std::string(kSurvey), large_survey()}) {
    SCOPED_TRACE(content.size());
    test::write_file(file(), content);
    const auto item = CatalogItem::open(file());
    for (const char* text : {"First", "Second", "Third"}) {
      write_purpose(item, text);
      item->save();
      EXPECT_EQ(purpose_of(file()), text);
    }
  }
}

TEST_F(ItemTest, EditingHoldsTheLockFromReadingUntilReleasedAndReadingDoesNot) {
  test::write_file(file(), kSurvey);
  {
    const auto reading = CatalogItem::open(file(), CatalogItem::Access::Read);
    EXPECT_FALSE(locked(file()));
    const auto editing = CatalogItem::open(file(), CatalogItem::Access::Edit);
    EXPECT_TRUE(locked(file()));
    write_purpose(editing, "Locked edit");
    editing->save();
    EXPECT_TRUE(locked(file())) << "until the item is released";
  }
  EXPECT_FALSE(locked(file()));
  // A failure while reading releases it too.
  test::write_file(file(), "<metadata><unclosed></metadata>");
  EXPECT_THROW(CatalogItem::open(file(), CatalogItem::Access::Edit), com::Error);
  EXPECT_FALSE(locked(file()));
}

TEST_F(ItemTest, ASecondEditorWaitsForTheFirstAndReadsWhatItSaved) {
  test::write_file(file(), kSurvey);
  auto first = CatalogItem::open(file(), CatalogItem::Access::Edit);
  std::string seen_by_second;
  std::thread second([&] {
    const auto item = CatalogItem::open(file(), CatalogItem::Access::Edit);  // waits here
    seen_by_second = read_value(*item->document()->identity(), "dataIdInfo/idPurp");
    write_purpose(item, seen_by_second + " + second");
    item->save();
  });
  write_purpose(first, "First");
  first->save();
  first = nullptr;
  second.join();
  EXPECT_EQ(seen_by_second, "First");
  EXPECT_EQ(purpose_of(file()), "First + second");
}

// An item opened for reading (the editor's way) takes the lock for its save
// and holds it from the check that the file is unchanged until the rename:
// another process seen there would find the lock held. Readers of one
// version who save at once: one lands, the others are refused.
TEST_F(ItemTest, ASaveOfAnItemOpenedForReadingHoldsTheLockUntilItsRename) {
  test::write_file(file(), kSurvey);
  int renames = 0;
  bool locked_then = false;
  std::function<void()> seen = [&] {
    ++renames;
    locked_then = locked(file());
  };
  renaming = &seen;
  {
    const auto item = CatalogItem::open(file(), CatalogItem::Access::Read);
    write_purpose(item, "Read, then saved");
    item->save();
  }
  renaming = nullptr;
  EXPECT_EQ(renames, 1);
  EXPECT_TRUE(locked_then) << "the lock was let go before the rename";
  EXPECT_FALSE(locked(file()));

  constexpr int kReaders = 8;
  std::latch all_read(kReaders);
  std::atomic<int> landed{0}, refused{0};
  std::vector<std::string> values(kReaders);
  std::vector<std::thread> readers;
  readers.reserve(kReaders);
  for (int i = 0; i < kReaders; ++i) {
    readers.emplace_back([&, i] {
      const auto item = CatalogItem::open(file(), CatalogItem::Access::Read);
      values[i] = "Reader " + std::to_string(i);
      write_purpose(item, values[i]);
      all_read.arrive_and_wait();
      try {
        item->save();
        ++landed;
      } catch (const ItemChanged&) {
        ++refused;
      }
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(landed, 1);
  EXPECT_EQ(refused, kReaders - 1);
  EXPECT_NE(std::find(values.begin(), values.end(), purpose_of(file())), values.end());
}

TEST_F(ItemTest, TheLockLiesBesideTheFileALinkLeadsToAndHonoursTheUmask) {
  const std::filesystem::path data = home_.path() / "data";
  std::filesystem::create_directories(data);
  test::write_file(data / "survey.xml", kSurvey);
  std::filesystem::create_symlink("data/survey.xml", file());
  const test::Umask mask(027);
  EXPECT_EQ(ItemLock::lock_file(file()), data / ".survey.xml.lock");
  {
    const auto item = CatalogItem::open(file(), CatalogItem::Access::Edit);
    write_purpose(item, "Through the link");
    item->save();
    EXPECT_EQ(test::mode_of(data / ".survey.xml.lock"), 0640u);
    EXPECT_FALSE(std::filesystem::exists(home_.path() / ".survey.xml.lock"));
  }
  EXPECT_TRUE(std::filesystem::is_symlink(file()));
  EXPECT_EQ(purpose_of(data / "survey.xml"), "Through the link");
  EXPECT_EQ(test::names_in(data), std::vector<std::string>{"survey.xml"})
      << "the lock file goes with the lock";
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
  auto* list = reinterpret_cast<ISynchronizerList*>(std::uintptr_t{0x10});
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

// Interposed on the C library's rename(), which the platform's atomic write
// calls last: what a test needs to see at that moment, it sees there.
extern "C" int rename(const char* from, const char* to) {
  using Rename = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
  if (tw::host::renaming != nullptr && *tw::host::renaming) (*tw::host::renaming)();
  return real(from, to);
}
