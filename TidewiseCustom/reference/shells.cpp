// Reference system, representation and schema pages not built yet: the
// skeleton with its heading and title.

#include "framework/page_classes.h"

namespace tw::custom {

extern const PageSpec kReferenceSysPage, kGeoDescPage, kProjectionDescPage, kEllipsoidDescPage,
    kDatumDescPage, kGridRepresentationPage, kSchemaInfoPage, kTidewiseExtPage;

constexpr PageSpec kReferenceSysPage{
    .class_name = "ReferenceSys",
    .clsid = com::guid("{9DF0CA45-06D6-429D-9010-9D866CD82634}"),
    .default_iid = com::guid("{C352F25F-A011-49DF-B708-5A076197CC46}"),
    .default_title = "Reference system",
};
constexpr PageSpec kGeoDescPage{
    .class_name = "GeoDesc",
    .clsid = com::guid("{80A25952-4AF3-4F2E-9FB7-5C314122E67B}"),
    .default_iid = com::guid("{29ABD711-ED90-4410-A038-AA0C7BC389DD}"),
    .default_title = "Geographic description",
    .at_creation = TitleAtCreation::ShortTitleOnly,
};
constexpr PageSpec kProjectionDescPage{
    .class_name = "ProjectionDesc",
    .clsid = com::guid("{9AE305C5-C22C-4442-9E8D-5AC334ED30FD}"),
    .default_iid = com::guid("{AEDC3D65-72D7-41BF-8821-A59FADDD94B4}"),
    .default_title = "Projection Description",
};
constexpr PageSpec kEllipsoidDescPage{
    .class_name = "EllipsoidDesc",
    .clsid = com::guid("{4084B8E5-F3D1-4093-B660-AF0E6938A7DD}"),
    .default_iid = com::guid("{D5C13659-8B8A-4ADB-876F-D1D6082E898C}"),
    .default_title = "Ellipsoid Description",
};
constexpr PageSpec kDatumDescPage{
    .class_name = "DatumDesc",
    .clsid = com::guid("{4421F2DF-59D6-4821-AAF8-FF33D07C5604}"),
    .default_iid = com::guid("{77C4F5A9-4B3A-4AFD-A517-4036895A95DA}"),
    .default_title = "Datum Description",
};
constexpr PageSpec kGridRepresentationPage{
    .class_name = "GridRepresentation",
    .clsid = com::guid("{DAA07F9E-3844-4F6D-9611-6C4267730556}"),
    .default_iid = com::guid("{1D8FCD0A-069E-4CEB-B0AB-D5C763B5327C}"),
    .default_title = "Grid Representation",
};
constexpr PageSpec kSchemaInfoPage{
    .class_name = "SchemaInfo",
    .clsid = com::guid("{1DBB31D3-EF85-4E1D-8BC5-F710AC4EDEE0}"),
    .default_iid = com::guid("{842F64FD-11B8-406D-B9C0-14EA1A7616D8}"),
    .default_title = "Schema Information",
};
constexpr PageSpec kTidewiseExtPage{
    .class_name = "TidewiseExt",
    .clsid = com::guid("{9C456B89-AD92-40CE-839B-166CD0FA98C6}"),
    .default_iid = com::guid("{58A0785B-5F58-424E-BC68-FABC245AD58F}"),
    .default_title = "Tidewise theme",
};

}  // namespace tw::custom
