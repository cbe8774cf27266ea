// The editor tree as components see it: exact status codes, cleared out
// parameters, error information naming member and key, the order of books
// and entries, and the trace of every member.

#include "tidewise/host/tree.h"

#include <gtest/gtest.h>

#include <set>

#include "support/files.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/trace.h"

namespace tw::host {
namespace {

using com::ComPtr;
using com::IEnumVARIANT;

constexpr GUID kPageClsid = guid("{6C1B9F03-2E8A-4D57-B0C4-93A7E15F2D86}");
constexpr GUID kUnservedClsid = guid("{0D4E7A95-C3B2-4F18-9A6E-5B21C8F07D34}");
constexpr const char* kPage = "TreeTest.Page";
constexpr const char* kUnserved = "TreeTest.Unserved";  // named, but no server for its class

// Distinct from any real pointer: shows that a failing member cleared it.
template <class T>
T* poisoned() {
  return reinterpret_cast<T*>(std::uintptr_t{0x10});
}

std::vector<std::string> keys_of(const MetadataSections& tree) {
  std::vector<std::string> keys;
  for (const BookInfo& book : tree.snapshot()) keys.push_back(book.key);
  return keys;
}

// The error information a failure left: taken once, then gone.
std::string take_error() {
  const auto info = com::GetErrorInfo();
  EXPECT_TRUE(info.has_value());
  EXPECT_FALSE(com::GetErrorInfo().has_value()) << "error information is handed over once";
  return info ? info->description : "";
}

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    com::Registry registry = com::Registry::open();
    registry.set(std::string(kPage) + "\\CLSID", "", com::to_string(kPageClsid));
    registry.set("CLSID\\" + com::to_string(kPageClsid) + "\\InprocServer32", "",
                 "/nowhere/Pages.so");
    registry.set(std::string(kUnserved) + "\\CLSID", "", com::to_string(kUnservedClsid));
    registry.save();
    baseline_ = com::ModuleCount::count;
    // The editor's books without the host's own pages: what the tree does
    // with what components add.
    tree_ = com::make_object<MetadataSections>(
        std::initializer_list<MetadataSections::BookSpec>{{"GeneralInfo", "General information"},
                                                          {"DatasetId", "Dataset identification"},
                                                          {"SpatialRef", "Spatial reference"},
                                                          {"DistInfo", "Distribution information"},
                                                          {"History", "History"}});
  }
  void TearDown() override {
    tree_ = nullptr;
    EXPECT_EQ(com::ModuleCount::count, baseline_) << "every tree object is released";
  }

  ComPtr<IMetadataBook> get_book(const std::string& key) {
    ComPtr<IMetadataBook> book;
    EXPECT_EQ(tree_->GetBook(Variant::str(key), book.put()), com::S_OK) << key;
    return book;
  }
  ComPtr<IMetadataPageEntry> add_page(IMetadataBook& book, const std::string& prog_id,
                                      const std::string& unique_name) {
    ComPtr<IMetadataPageEntry> entry;
    EXPECT_EQ(book.AddPage(prog_id, unique_name, Variant::i2(-1), Variant::i2(-1), entry.put()),
              com::S_OK);
    return entry;
  }

  test::TempHome home_;
  long baseline_ = 0;
  ComPtr<MetadataSections> tree_;
};

TEST_F(TreeTest, DefaultTreeHoldsTheEditorsFiveBooksInOrderWithTheHostsOwnPages) {
  tree_ = make_default_tree();
  const std::vector<std::string> expected = {"GeneralInfo", "DatasetId", "SpatialRef", "DistInfo",
                                             "History"};
  EXPECT_EQ(keys_of(*tree_.get()), expected);
  std::int32_t count = 0;
  ASSERT_EQ(tree_->get_Count(&count), com::S_OK);
  ASSERT_EQ(count, 5);
  for (std::int32_t i = 0; i < count; ++i) {
    ComPtr<IMetadataBook> book;
    ASSERT_EQ(tree_->Item(i, book.put()), com::S_OK);
    std::string key, caption;
    ASSERT_EQ(book->get_Key(&key), com::S_OK);
    ASSERT_EQ(book->get_Caption(&caption), com::S_OK);
    EXPECT_EQ(key, expected[static_cast<std::size_t>(i)]);
    EXPECT_FALSE(caption.empty());
  }
  // The host's pages stand in the four books, each unique name once, each
  // page of the host's own library; "History" is empty.
  std::set<std::string> names;
  std::size_t pages = 0;
  for (const BookInfo& book : tree_->snapshot()) {
    EXPECT_EQ(book.pages.empty(), book.key == "History") << book.key;
    for (const PageInfo& page : book.pages) {
      ++pages;
      EXPECT_TRUE(names.insert(page.unique_name).second) << page.unique_name;
      EXPECT_EQ(page.prog_id, std::string(kHostPagePrefix) + page.unique_name);
    }
  }
  EXPECT_EQ(pages, 29u);
}

TEST_F(TreeTest, ItemOutsideTheBooksFailsWithBadIndex) {
  for (const std::int32_t index : {-1, 5, 1000}) {
    auto* book = poisoned<IMetadataBook>();
    EXPECT_EQ(tree_->Item(index, &book), com::DISP_E_BADINDEX) << index;
    EXPECT_EQ(book, nullptr);
    EXPECT_NE(take_error().find("IMetadataSections.Item"), std::string::npos);
  }
  EXPECT_EQ(tree_->Item(0, nullptr), com::E_POINTER);
  EXPECT_EQ(tree_->get_Count(nullptr), com::E_POINTER);
}

TEST_F(TreeTest, GetBookFindsByStringKeyOnly) {
  EXPECT_EQ(get_book("SpatialRef").get(), tree_->books()[2].get());

  struct Case {
    Variant key;
    HRESULT code;
    std::string mentions;
  };
  const Case cases[] = {
      {Variant::str("Nowhere"), com::E_INVALIDARG, "\"Nowhere\""},
      {Variant::str("generalinfo"), com::E_INVALIDARG, "\"generalinfo\""},  // keys are exact
      {Variant::str(""), com::E_INVALIDARG, "\"\""},
      {Variant::i2(0), com::DISP_E_TYPEMISMATCH, "String"},
      {Variant(), com::DISP_E_TYPEMISMATCH, "String"},
  };
  for (const Case& c : cases) {
    auto* book = poisoned<IMetadataBook>();
    EXPECT_EQ(tree_->GetBook(c.key, &book), c.code) << to_json(c.key);
    EXPECT_EQ(book, nullptr);
    const std::string error = take_error();
    EXPECT_EQ(error.rfind("IMetadataSections.GetBook: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
  EXPECT_EQ(tree_->GetBook(Variant::str("History"), nullptr), com::E_POINTER);
}

TEST_F(TreeTest, AddBookInsertsAfterTheNamedBookOrAtTheEnd) {
  ComPtr<IMetadataBook> quality;
  ASSERT_EQ(tree_->AddBook("Quality information", "QualityBook", Variant::i2(-1),
                           Variant::str("DistInfo"), quality.put()),
            com::S_OK);
  ComPtr<IMetadataBook> element;
  ASSERT_EQ(tree_->AddBook("Element", "ElementBook", Variant::i2(-1), Variant::str("QualityBook"),
                           element.put()),
            com::S_OK);
  ComPtr<IMetadataBook> last;
  ASSERT_EQ(tree_->AddBook("Last", "LastBook", Variant::i2(-1), Variant(), last.put()), com::S_OK);
  ComPtr<IMetadataBook> first;
  ASSERT_EQ(tree_->AddBook("Second", "SecondBook", Variant::i2(-1), Variant::str("GeneralInfo"),
                           first.put()),
            com::S_OK);
  EXPECT_EQ(
      keys_of(*tree_.get()),
      (std::vector<std::string>{"GeneralInfo", "SecondBook", "DatasetId", "SpatialRef", "DistInfo",
                                "QualityBook", "ElementBook", "History", "LastBook"}));
  std::string caption;
  ASSERT_EQ(quality->get_Caption(&caption), com::S_OK);
  EXPECT_EQ(caption, "Quality information");
  EXPECT_EQ(get_book("QualityBook").get(), quality.get()) << "the book returned is the tree's";
}

TEST_F(TreeTest, AddBookRefusesRepeatedKeysAndUnknownPreviousBooks) {
  struct Case {
    std::string key;
    Variant after;
    HRESULT code;
    std::string mentions;
  };
  const Case cases[] = {
      {"DistInfo", Variant(), com::E_INVALIDARG, "\"DistInfo\""},
      {"History", Variant::str("GeneralInfo"), com::E_INVALIDARG, "\"History\""},
      {"NewBook", Variant::str("Nowhere"), com::E_INVALIDARG, "\"Nowhere\""},
      {"NewBook", Variant::i2(-1), com::DISP_E_TYPEMISMATCH, "String"},
      {"NewBook", Variant::null(), com::DISP_E_TYPEMISMATCH, "String"},
  };
  for (const Case& c : cases) {
    auto* book = poisoned<IMetadataBook>();
    EXPECT_EQ(tree_->AddBook("Caption", c.key, Variant::i2(-1), c.after, &book), c.code) << c.key;
    EXPECT_EQ(book, nullptr);
    const std::string error = take_error();
    EXPECT_EQ(error.rfind("IMetadataSections.AddBook: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    EXPECT_EQ(tree_->books().size(), 5u) << "a refused book is not added";
  }
}

TEST_F(TreeTest, RemoveBookTakesOutOnlyTheNamedBook) {
  ASSERT_EQ(tree_->RemoveBook(Variant::str("History")), com::S_OK);
  EXPECT_EQ(keys_of(*tree_.get()),
            (std::vector<std::string>{"GeneralInfo", "DatasetId", "SpatialRef", "DistInfo"}));

  EXPECT_EQ(tree_->RemoveBook(Variant::str("History")), com::E_INVALIDARG) << "already gone";
  std::string error = take_error();
  EXPECT_EQ(error.rfind("IMetadataSections.RemoveBook: ", 0), 0u) << error;
  EXPECT_NE(error.find("\"History\""), std::string::npos) << error;

  EXPECT_EQ(tree_->RemoveBook(Variant::i4(0)), com::DISP_E_TYPEMISMATCH);
  take_error();
  EXPECT_EQ(tree_->books().size(), 4u);
}

TEST_F(TreeTest, AddPageAcceptsOnlyRegisteredClassesAndRepeatedNames) {
  const ComPtr<IMetadataBook> book = get_book("GeneralInfo");
  const auto entry = add_page(*book.get(), kPage, "Purpose");
  ASSERT_TRUE(entry);
  std::string name, prog_id;
  ASSERT_EQ(entry->get_UniqueName(&name), com::S_OK);
  ASSERT_EQ(entry->get_ProgID(&prog_id), com::S_OK);
  EXPECT_EQ(name, "Purpose");
  EXPECT_EQ(prog_id, kPage);
  add_page(*book.get(), kPage, "Purpose");  // the tree leaves repeated names to its callers

  struct Case {
    std::string prog_id;
    HRESULT code;
  };
  const Case cases[] = {
      {"TreeTest.Missing", com::CO_E_CLASSSTRING},
      {"", com::CO_E_CLASSSTRING},
      {kUnserved, com::REGDB_E_CLASSNOTREG},
  };
  for (const Case& c : cases) {
    auto* refused = poisoned<IMetadataPageEntry>();
    EXPECT_EQ(book->AddPage(c.prog_id, "Other", Variant::i2(-1), Variant::i2(-1), &refused), c.code)
        << c.prog_id;
    EXPECT_EQ(refused, nullptr);
    const std::string error = take_error();
    EXPECT_EQ(error.rfind("IMetadataBook.AddPage: ", 0), 0u) << error;
    EXPECT_NE(error.find("\"" + c.prog_id + "\""), std::string::npos) << error;
  }
  EXPECT_EQ(tree_->snapshot()[0].pages,
            (std::vector<PageInfo>{{"Purpose", kPage}, {"Purpose", kPage}}));
  EXPECT_EQ(tree_->find_page("Purpose"), tree_->books()[0]->entries()[0].get());
  EXPECT_EQ(tree_->find_page("Other"), nullptr);
}

TEST_F(TreeTest, EnumerationYieldsTheEntriesInOrderAsPageEntries) {
  const ComPtr<IMetadataBook> book = get_book("SpatialRef");
  const std::vector<std::string> names = {"GeoDesc", "Extent", "ReferenceSys"};
  for (const std::string& name : names) add_page(*book.get(), kPage, name);

  ComPtr<IUnknown> unknown;
  ASSERT_EQ(book->get__NewEnum(unknown.put()), com::S_OK);
  const auto walker = unknown.as<IEnumVARIANT>();
  add_page(*book.get(), kPage, "Later");  // after the walk began: not part of it

  std::vector<std::string> seen;
  for (;;) {
    Variant item;
    std::uint32_t fetched = 99;
    const HRESULT hr = walker->Next(1, &item, &fetched);
    if (hr == com::S_FALSE) {
      EXPECT_EQ(fetched, 0u);
      EXPECT_TRUE(item.is_empty());
      break;
    }
    ASSERT_EQ(hr, com::S_OK);
    ASSERT_EQ(fetched, 1u);
    ASSERT_NE(item.as_object(), nullptr);
    const auto entry = item.as_object()->as<IMetadataPageEntry>();
    std::string name;
    ASSERT_EQ(entry->get_UniqueName(&name), com::S_OK);
    seen.push_back(name);
  }
  EXPECT_EQ(seen, names);
}

TEST_F(TreeTest, EnumeratorNextSkipResetAndCloneKeepTheirPlace) {
  const ComPtr<IMetadataBook> book = get_book("DistInfo");
  for (const char* name : {"A", "B", "C", "D"}) add_page(*book.get(), kPage, name);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(book->get__NewEnum(unknown.put()), com::S_OK);
  const auto walker = unknown.as<IEnumVARIANT>();

  const auto name_of = [](const Variant& item) {
    std::string name;
    EXPECT_EQ(item.as_object()->as<IMetadataPageEntry>()->get_UniqueName(&name), com::S_OK);
    return name;
  };

  ASSERT_EQ(walker->Skip(1), com::S_OK);
  ComPtr<IEnumVARIANT> copy;
  ASSERT_EQ(walker->Clone(copy.put()), com::S_OK);
  Variant items[3];
  std::uint32_t fetched = 0;
  ASSERT_EQ(walker->Next(3, items, &fetched), com::S_OK);
  EXPECT_EQ(fetched, 3u);
  EXPECT_EQ(name_of(items[0]) + name_of(items[2]), "BD");
  EXPECT_EQ(walker->Next(3, items, &fetched), com::S_FALSE);
  EXPECT_EQ(fetched, 0u);

  Variant pair[3];
  ASSERT_EQ(copy->Next(3, pair, &fetched), com::S_OK) << "the clone kept its own place";
  EXPECT_EQ(name_of(pair[0]), "B");
  EXPECT_EQ(copy->Skip(5), com::S_FALSE);

  ASSERT_EQ(walker->Reset(), com::S_OK);
  ASSERT_EQ(walker->Next(3, pair, &fetched), com::S_OK);
  EXPECT_EQ(name_of(pair[0]), "A");
  ASSERT_EQ(walker->Next(3, pair, &fetched), com::S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(name_of(pair[0]), "D");

  EXPECT_EQ(walker->Next(2, pair, nullptr), com::E_POINTER) << "two items need a count";
  take_error();
  EXPECT_EQ(walker->Next(1, nullptr, &fetched), com::E_POINTER);
  take_error();
  EXPECT_EQ(walker->Clone(nullptr), com::E_POINTER);
  take_error();
}

TEST_F(TreeTest, EveryMemberRecordsItsCallAndTheHostsReadingsRecordNothing) {
  std::vector<nlohmann::json> lines;
  const auto previous = set_trace_sink([&](const nlohmann::json& line) { lines.push_back(line); });
  {
    ComPtr<IMetadataBook> book;
    tree_->GetBook(Variant::str("GeneralInfo"), book.put());
    ComPtr<IMetadataPageEntry> entry;
    book->AddPage(kPage, "Purpose", Variant::i2(-1), Variant::i2(-1), entry.put());
    ComPtr<IMetadataBook> added;
    tree_->AddBook("Quality information", "QualityBook", Variant::i2(-1), Variant::str("DistInfo"),
                   added.put());
    tree_->RemoveBook(Variant::str("History"));
    std::string name;
    entry->get_UniqueName(&name);
    ComPtr<IUnknown> unknown;
    book->get__NewEnum(unknown.put());
    Variant item;
    unknown.as<IEnumVARIANT>()->Next(1, &item, nullptr);
    ComPtr<IMetadataBook> refused;
    tree_->GetBook(Variant::i2(3), refused.put());  // a failing call is recorded as well
    com::ClearErrorInfo();
    tree_->snapshot();
    tree_->find_page("Purpose");
  }
  set_trace_sink(previous);

  const std::vector<nlohmann::json> expected = {
      {{"call", "IMetadataSections.GetBook"}, {"args", {"GeneralInfo"}}},
      {{"call", "IMetadataBook.AddPage"}, {"args", {kPage, "Purpose", -1, -1}}},
      {{"call", "IMetadataSections.AddBook"},
       {"args", {"Quality information", "QualityBook", -1, "DistInfo"}}},
      {{"call", "IMetadataSections.RemoveBook"}, {"args", {"History"}}},
      {{"call", "IMetadataPageEntry.UniqueName"}, {"args", nlohmann::json::array()}},
      {{"call", "IMetadataBook._NewEnum"}, {"args", nlohmann::json::array()}},
      {{"call", "IEnumVARIANT.Next"}, {"args", {1}}},
      {{"call", "IMetadataSections.GetBook"}, {"args", {3}}},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
}

}  // namespace
}  // namespace tw::host
