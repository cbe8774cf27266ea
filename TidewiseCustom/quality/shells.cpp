// Quality pages not built yet: the skeleton with its heading and title.

#include "framework/page_classes.h"

namespace tw::custom {

extern const PageSpec kQualityReportPage, kQualityScopePage, kQualityExtentPage,
    kQualityElementPage, kQualityConformancePage, kQualityQuantitativePage;

constexpr PageSpec kQualityReportPage{
    .class_name = "QualityReport",
    .clsid = com::guid("{CC333A86-D786-49A9-A3A1-155ABB175225}"),
    .default_iid = com::guid("{3F0B265C-BCAB-4FC8-996B-7FD4600BD7A1}"),
    .at_creation = TitleAtCreation::None,
};
constexpr PageSpec kQualityScopePage{
    .class_name = "QualityScope",
    .clsid = com::guid("{F5926A46-FDDE-4786-AF82-3626FA33D186}"),
    .default_iid = com::guid("{8D590C2A-C94A-4FC5-8FAA-66621A60F9CF}"),
    .default_title = "Scope",
};
constexpr PageSpec kQualityExtentPage{
    .class_name = "QualityExtent",
    .clsid = com::guid("{9FEA14FE-843B-40AF-A060-4F2A8DB328BD}"),
    .default_iid = com::guid("{8759EAC5-68EC-4756-B57D-2493583B02F0}"),
    .default_title = "Scope extent",
};
constexpr PageSpec kQualityElementPage{
    .class_name = "QualityElement",
    .clsid = com::guid("{8DF3D4C5-B60B-4704-B764-9036B697DC4D}"),
    .default_iid = com::guid("{3E6483AD-1F30-4AB3-9B63-AC376ED0A2A4}"),
    .at_creation = TitleAtCreation::None,
};
constexpr PageSpec kQualityConformancePage{
    .class_name = "QualityConformance",
    .clsid = com::guid("{8C85FD6F-F460-47E5-92FF-F163A7696904}"),
    .default_iid = com::guid("{DB8A33BB-CFB7-4150-9333-EEC99C0713E7}"),
    .at_creation = TitleAtCreation::None,
};
constexpr PageSpec kQualityQuantitativePage{
    .class_name = "QualityQuantitative",
    .clsid = com::guid("{FD0ECCDD-BF71-44DB-B239-FF54259D3871}"),
    .default_iid = com::guid("{BBDABDEC-56F5-43CE-90A0-5AD2933F3192}"),
    .at_creation = TitleAtCreation::None,
};

}  // namespace tw::custom
