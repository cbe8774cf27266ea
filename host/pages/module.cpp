// The library's classes: registration, unregistration and creation all walk
// this one table. The host's default tree names them; nothing here adds them.

#include "pages.h"

namespace tw::hostpages {
namespace {

using pages::page_class;

const com::ClassEntry kClasses[] = {
    page_class<kProgIdPrefix, kCitationPage>(),
    page_class<kProgIdPrefix, kDescriptionPage>(),
    page_class<kProgIdPrefix, kKeywordsPage>(),
    page_class<kProgIdPrefix, kTopicCategoriesPage>(),
    page_class<kProgIdPrefix, kPointsOfContactPage>(),
    page_class<kProgIdPrefix, kCitedPartiesPage>(),
    page_class<kProgIdPrefix, kMetadataInfoPage>(),
    page_class<kProgIdPrefix, kMetadataContactsPage>(),
    page_class<kProgIdPrefix, kMaintenancePage>(),
    page_class<kProgIdPrefix, kGraphicOverviewsPage>(),
    page_class<kProgIdPrefix, kResourceConstraintsPage>(),
    page_class<kProgIdPrefix, kAssociatedResourcesPage>(),
    page_class<kProgIdPrefix, kServicePage>(),
    page_class<kProgIdPrefix, kResolutionPage>(),
    page_class<kProgIdPrefix, kDataLanguagesPage>(),
    page_class<kProgIdPrefix, kFeatureCataloguesPage>(),
    page_class<kProgIdPrefix, kCoveragesPage>(),
    page_class<kProgIdPrefix, kAcquisitionPage>(),
    page_class<kProgIdPrefix, kDataQualityPage>(),
    page_class<kProgIdPrefix, kLineageSourcesPage>(),
    page_class<kProgIdPrefix, kBoundingBoxesPage>(),
    page_class<kProgIdPrefix, kBoundingPolygonsPage>(),
    page_class<kProgIdPrefix, kTemporalExtentsPage>(),
    page_class<kProgIdPrefix, kVerticalExtentsPage>(),
    page_class<kProgIdPrefix, kReferenceSystemsPage>(),
    page_class<kProgIdPrefix, kFormatsPage>(),
    page_class<kProgIdPrefix, kDistributorsPage>(),
    page_class<kProgIdPrefix, kDistributorOffersPage>(),
    page_class<kProgIdPrefix, kOnlineResourcesPage>(),
};

}  // namespace

const com::ModuleInfo kModule{
    {com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A00}"), "TidewiseHostPages", "1.0"}, kClasses};

}  // namespace tw::hostpages

TW_EXPORT_COM_MODULE(tw::hostpages::kModule)
