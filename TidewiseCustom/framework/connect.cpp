#include "framework/connect.h"

#include <array>

#include "tidewise/com/factory.h"
#include "tidewise/pages/quality_elements.h"
#include "tidewise/platform.h"

namespace tw::custom {

using com::check;
using com::ComPtr;
using com::Variant;
using pages::kQualityElements;
using pages::QualityElement;

namespace {

struct Placement {
  std::string_view unique_name;
  std::string_view page_class;
};

struct ExistingBook {
  std::string_view key;
  std::span<const Placement> pages;
};

constexpr Placement kGeneralInfo[] = {{"Purpose", "Purpose"},
                                      {"Status", "Status"},
                                      {"Contact", "Contact"},
                                      {"Metadata", "Metadata"},
                                      {"SchemaInfo", "SchemaInfo"}};
constexpr Placement kDatasetId[] = {{"Constraint", "Constraint"}, {"SpatialRep", "SpatialRep"}};
constexpr Placement kSpatialRef[] = {{"GeoDesc", "GeoDesc"},
                                     {"Extent", "Extent"},
                                     {"ReferenceSys", "ReferenceSys"},
                                     {"VectorRepresentation", "VectorRepresentation"},
                                     {"ProjectionDesc", "ProjectionDesc"},
                                     {"EllipsoidDesc", "EllipsoidDesc"},
                                     {"DatumDesc", "DatumDesc"},
                                     {"GridRepresentation", "GridRepresentation"}};
constexpr Placement kDistInfo[] = {{"Format", "Format"}};

constexpr ExistingBook kExistingBooks[] = {{"GeneralInfo", kGeneralInfo},
                                           {"DatasetId", kDatasetId},
                                           {"SpatialRef", kSpatialRef},
                                           {"DistInfo", kDistInfo}};

constexpr Placement kQualityBook[] = {{"QualityScope", "QualityScope"},
                                      {"QualityExtent", "QualityExtent"},
                                      {"QualityLineage", "Lineage"}};
constexpr Placement kTidewiseBook[] = {{"TidewiseExt", "TidewiseExt"}};

// Each quality element's book holds its three pages in this order.
constexpr std::array<Placement, 3> kElementPages{
    {{"Ele", "QualityElement"}, {"Conf", "QualityConformance"}, {"Quan", "QualityQuantitative"}}};

// The image and position arguments the tree receives: the 16-bit Integer -1.
Variant minus_one() {
  return Variant::i2(-1);
}

void add_page(host::IMetadataBook* book, std::string_view page_class,
              const std::string& unique_name) {
  ComPtr<host::IMetadataPageEntry> dropped;
  check(book->AddPage(std::string(kProgIdPrefix) + std::string(page_class), unique_name,
                      minus_one(), minus_one(), dropped.put()),
        "IMetadataBook.AddPage");
}

void add_pages(host::IMetadataBook* book, std::span<const Placement> pages) {
  for (const Placement& page : pages)
    add_page(book, page.page_class, std::string(page.unique_name));
}

// Adds a book after the previous one and returns it.
ComPtr<host::IMetadataBook> add_book(host::IMetadataSections* tree, std::string_view caption,
                                     const std::string& key, const std::string& previous) {
  ComPtr<host::IMetadataBook> book;
  check(tree->AddBook(std::string(caption), key, minus_one(), Variant::str(previous), book.put()),
        "IMetadataSections.AddBook");
  if (!book) com::raise(com::E_POINTER, "IMetadataSections.AddBook returned no book");
  return book;
}

// The user is told, not asked: every enabled synchronizer ends disabled.
void DisableSynchronizers() {
  const auto list = com::create_instance<host::ISynchronizerList>(host::CLSID_SynchronizerList);
  std::int32_t count = 0;
  check(list->get_Count(&count), "ISynchronizerList.Count");
  for (std::int32_t i = 0; i < count; ++i) {
    com::VARIANT_BOOL enabled = com::VARIANT_FALSE;
    check(list->IsEnabled(i, &enabled), "ISynchronizerList.IsEnabled");
    if (!com::from_variant_bool(enabled)) continue;
    ComPtr<host::ISynchronizer> synchronizer;
    check(list->Item(i, synchronizer.put()), "ISynchronizerList.Item");
    if (!synchronizer) com::raise(com::E_POINTER, "ISynchronizerList.Item returned nothing");
    std::string name;
    check(synchronizer->get_DisplayName(&name), "ISynchronizer.DisplayName");
    platform::MsgBox("Disable the Synchronizer " + name, platform::kOkOnly, kLibraryTitle);
    check(list->SetEnabled(i, com::VARIANT_FALSE), "ISynchronizerList.SetEnabled");
  }
}

}  // namespace

com::HRESULT Connect::LoadCustomPages(host::IMetadataSections* tree, com::IUnknown*,
                                      com::VARIANT_BOOL* result) noexcept {
  return com::boundary("ICustomPages.LoadCustomPages", [&] {
    com::VARIANT_BOOL& answer = com::out_param(result);
    if (tree == nullptr) com::raise(com::E_POINTER, "no editor tree");

    for (const ExistingBook& existing : kExistingBooks) {
      ComPtr<host::IMetadataBook> book;
      check(tree->GetBook(Variant::str(std::string(existing.key)), book.put()),
            "IMetadataSections.GetBook");
      if (!book) com::raise(com::E_POINTER, "IMetadataSections.GetBook returned no book");
      add_pages(book.get(), existing.pages);
    }

    std::string previous(kExistingBooks[std::size(kExistingBooks) - 1].key);
    const auto next_book = [&](std::string_view caption, std::string key) {
      auto book = add_book(tree, caption, key, previous);
      previous = std::move(key);
      return book;
    };
    add_pages(next_book("Quality information", "QualityBook").get(), kQualityBook);
    for (const QualityElement& element : kQualityElements) {
      const std::string prefix(element.prefix);
      const auto book = next_book(element.book_caption, prefix + "Book");
      for (const Placement& page : kElementPages) {
        add_page(book.get(), page.page_class, prefix + std::string(page.unique_name));
      }
    }
    add_pages(next_book("Tidewise Extension", "TidewiseBook").get(), kTidewiseBook);

    check(tree->RemoveBook(Variant::str("History")), "IMetadataSections.RemoveBook");
    DisableSynchronizers();
    answer = com::VARIANT_TRUE;
  });
}

}  // namespace tw::custom
