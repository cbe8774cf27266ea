#pragma once
// The page classes of the library, each described by its page data.

#include "framework/page.h"
#include "tidewise/com/factory.h"

namespace tw::custom {

// Identification and distribution
extern const PageSpec kMetadataPage;
extern const PageSpec kPurposePage;
extern const PageSpec kLineagePage;
extern const PageSpec kExtentPage;
extern const PageSpec kFormatPage;
extern const PageSpec kStatusPage;
extern const PageSpec kContactPage;
extern const PageSpec kConstraintPage;
extern const PageSpec kSpatialRepPage;
extern const PageSpec kVectorRepresentationPage;

// Data quality
extern const PageSpec kQualityReportPage;
extern const PageSpec kQualityScopePage;
extern const PageSpec kQualityExtentPage;
extern const PageSpec kQualityElementPage;
extern const PageSpec kQualityConformancePage;
extern const PageSpec kQualityQuantitativePage;

// Reference system, representation and schema
extern const PageSpec kReferenceSysPage;
extern const PageSpec kGeoDescPage;
extern const PageSpec kProjectionDescPage;
extern const PageSpec kEllipsoidDescPage;
extern const PageSpec kDatumDescPage;
extern const PageSpec kGridRepresentationPage;
extern const PageSpec kSchemaInfoPage;
extern const PageSpec kTidewiseExtPage;

// The library's classes, as registration and creation walk them.
extern const com::ModuleInfo kModule;

// Pages whose class has members of its own.
com::ComPtr<com::IUnknown> create_constraint_page();
com::ComPtr<com::IUnknown> create_spatial_rep_page();

}  // namespace tw::custom
