#pragma once
// The page classes of the library, each described by its page data.

#include "tidewise/com/factory.h"
#include "tidewise/pages/page.h"

namespace tw::custom {

// The pages are built on the page framework the host's own pages share.
using namespace tw::pages;

// Identification and distribution
extern const PageData kMetadataPage;
extern const PageData kPurposePage;
extern const PageData kLineagePage;
extern const PageData kExtentPage;
extern const PageData kFormatPage;
extern const PageData kStatusPage;
extern const PageData kContactPage;
extern const PageData kConstraintPage;
extern const PageData kSpatialRepPage;
extern const PageData kVectorRepresentationPage;

// Data quality
extern const PageData kQualityReportPage;
extern const PageData kQualityScopePage;
extern const PageData kQualityExtentPage;
extern const PageData kQualityElementPage;
extern const PageData kQualityConformancePage;
extern const PageData kQualityQuantitativePage;

// Reference system, representation and schema
extern const PageData kReferenceSysPage;
extern const PageData kGeoDescPage;
extern const PageData kProjectionDescPage;
extern const PageData kEllipsoidDescPage;
extern const PageData kDatumDescPage;
extern const PageData kGridRepresentationPage;
extern const PageData kSchemaInfoPage;
extern const PageData kTidewiseExtPage;

// The library's classes, as registration and creation walk them.
extern const com::ModuleInfo kModule;

// Pages whose class has members of its own.
com::ComPtr<com::IUnknown> create_constraint_page();
com::ComPtr<com::IUnknown> create_spatial_rep_page();

}  // namespace tw::custom
