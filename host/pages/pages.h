#pragma once
// The host's own pages, each described by its page data, and the library's
// class table.

#include "layout.h"
#include "tidewise/com/factory.h"
#include "tidewise/pages/page.h"
#include "words.h"

namespace tw::hostpages {

using pages::Field;
using pages::FieldKind;
using pages::PageData;
using pages::Repeat;

// The prefix of every page's programmatic identifier.
inline constexpr std::string_view kProgIdPrefix = "TidewiseHostPages.";

// A host page: it tracks what the user changes, writes only that, and
// answers Completed from what ISO requires of its fields and lists.
constexpr PageData host_page(std::string_view class_name, com::GUID clsid, com::GUID iid,
                             std::string_view title, std::span<const ControlSpec> controls,
                             std::span<const Field> fields, std::span<const Repeat> repeats = {}) {
  return PageData{.class_name = class_name,
                  .clsid = clsid,
                  .default_iid = iid,
                  .default_title = title,
                  .controls = controls,
                  .fields = fields,
                  .changed_after_load = false,
                  .tracked = true,
                  .repeats = repeats};
}

// General information
extern const PageData kCitationPage;
extern const PageData kDescriptionPage;
extern const PageData kKeywordsPage;
extern const PageData kTopicCategoriesPage;
extern const PageData kPointsOfContactPage;
extern const PageData kCitedPartiesPage;
extern const PageData kMetadataInfoPage;
extern const PageData kMetadataContactsPage;
extern const PageData kMaintenancePage;
extern const PageData kGraphicOverviewsPage;
extern const PageData kResourceConstraintsPage;
extern const PageData kAssociatedResourcesPage;
// Dataset identification
extern const PageData kServicePage;
extern const PageData kResolutionPage;
extern const PageData kDataLanguagesPage;
extern const PageData kFeatureCataloguesPage;
extern const PageData kCoveragesPage;
extern const PageData kAcquisitionPage;
extern const PageData kDataQualityPage;
extern const PageData kLineageSourcesPage;
// Spatial reference
extern const PageData kBoundingBoxesPage;
extern const PageData kBoundingPolygonsPage;
extern const PageData kTemporalExtentsPage;
extern const PageData kVerticalExtentsPage;
extern const PageData kReferenceSystemsPage;
// Distribution
extern const PageData kFormatsPage;
extern const PageData kDistributorsPage;
extern const PageData kDistributorOffersPage;
extern const PageData kOnlineResourcesPage;

extern const com::ModuleInfo kModule;

}  // namespace tw::hostpages
