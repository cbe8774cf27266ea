// The reference system's identity and its geodetic basis: reference system
// identifier, projection and its parameters, ellipsoid and datum. Every value
// is one text box bound to one element, written on every unload once loaded.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr forms::ControlSpec kReferenceControls[] = {
    {"lblName", Kind::Label, "Name of the reference system", 240, 780, 2760, 255},
    {"txtName", Kind::TextBox, "", 3120, 720, 5400, 315, 0},
};
constexpr Field kReferenceFields[] = {{"txtName", "MdCoRefSys/refSysId/identCode"}};

// The parameter rows: two columns of seven inside the frame.
constexpr int kLeftLabel = 120, kLeftBox = 2760, kRightLabel = 4680, kRightBox = 7320;
constexpr int kLabelWidth = 2520, kBoxWidth = 1680;

constexpr forms::ControlSpec kProjectionControls[] = {
    {"lblIntro", Kind::Label, "Identity of the projection used", 240, 600, 3840, 255},
    {"lblLevel", Kind::Label, "Code of the projection", 4200, 600, 1800, 255},
    {"txtCode", Kind::TextBox, "", 6120, 600, 3000, 315, 1},
    {"frmDesc", Kind::Frame, "Parameters that describe the projection", 240, 1080, 9120, 3900},
    {"lblDataSet", Kind::Label, "Zone - Unique identifier for 100,000 metre grid zone", kLeftLabel,
     360, kLabelWidth, 435, -1, "frmDesc"},
    {"txtZone", Kind::TextBox, "", kLeftBox, 360, kBoxWidth, 315, 0, "frmDesc"},
    {"lblOther", Kind::Label, "Standard parallel", kRightLabel, 360, kLabelWidth, 435, -1,
     "frmDesc"},
    {"txtparallel", Kind::TextBox, "", kRightBox, 360, kBoxWidth, 315, 2, "frmDesc"},
    {"Label1", Kind::Label, "Line of longitude at the centre of a map projection", kLeftLabel, 960,
     kLabelWidth, 435, -1, "frmDesc"},
    {"txtLineLong", Kind::TextBox, "", kLeftBox, 960, kBoxWidth, 315, 3, "frmDesc"},
    {"Label2", Kind::Label, "Latitude choosen as the origin", kRightLabel, 960, kLabelWidth, 435,
     -1, "frmDesc"},
    {"txtLatOri", Kind::TextBox, "", kRightBox, 960, kBoxWidth, 315, 4, "frmDesc"},
    {"Label3", Kind::Label, "False Easting", kLeftLabel, 1440, kLabelWidth, 435, -1, "frmDesc"},
    {"txtFalseEast", Kind::TextBox, "", kLeftBox, 1440, kBoxWidth, 315, 5, "frmDesc"},
    {"Label4", Kind::Label, "False Northing", kRightLabel, 1440, kLabelWidth, 435, -1, "frmDesc"},
    {"txtFalseNorth", Kind::TextBox, "", kRightBox, 1440, kBoxWidth, 315, 6, "frmDesc"},
    {"Label5", Kind::Label, "Units of false northing and false easting", kLeftLabel, 1920,
     kLabelWidth, 435, -1, "frmDesc"},
    {"txtFalseUnit", Kind::TextBox, "", kLeftBox, 1920, kBoxWidth, 315, 7, "frmDesc"},
    {"Label6", Kind::Label, "Scale factor at equator", kRightLabel, 1920, kLabelWidth, 435, -1,
     "frmDesc"},
    {"txtScaleEqu", Kind::TextBox, "", kRightBox, 1920, kBoxWidth, 315, 8, "frmDesc"},
    {"Label7", Kind::Label, "Height of viewpoint above the Earth, expressed in meters", kLeftLabel,
     2400, kLabelWidth, 435, -1, "frmDesc"},
    {"txtHeightView", Kind::TextBox, "", kLeftBox, 2400, kBoxWidth, 315, 9, "frmDesc"},
    {"Label8", Kind::Label, "Longitude of the point of projection for azimuthal projections",
     kRightLabel, 2400, kLabelWidth, 435, -1, "frmDesc"},
    {"txtLongAzi", Kind::TextBox, "", kRightBox, 2400, kBoxWidth, 315, 10, "frmDesc"},
    {"Label9", Kind::Label, "Latitude of the point of projection for azimuthal projections",
     kLeftLabel, 2880, kLabelWidth, 435, -1, "frmDesc"},
    {"txtLatAzi", Kind::TextBox, "", kLeftBox, 2880, kBoxWidth, 315, 11, "frmDesc"},
    {"Label10", Kind::Label, "Scale factor", kRightLabel, 2880, kLabelWidth, 435, -1, "frmDesc"},
    {"txtScaleFactor", Kind::TextBox, "", kRightBox, 2880, kBoxWidth, 315, 13, "frmDesc"},
    {"Label11", Kind::Label, "Longitude to be oriented straight up from the North or South Pole",
     kLeftLabel, 3360, kLabelWidth, 435, -1, "frmDesc"},
    {"txtLongStraight", Kind::TextBox, "", kLeftBox, 3360, kBoxWidth, 315, 12, "frmDesc"},
    {"Label12", Kind::Label, "Scale factor at projection origin", kRightLabel, 3360, kLabelWidth,
     435, -1, "frmDesc"},
    {"txtScaleProjOri", Kind::TextBox, "", kRightBox, 3360, kBoxWidth, 315, 14, "frmDesc"},
};

constexpr Field kProjectionFields[] = {
    {"txtCode", "MdCoRefSys/projection/identCode"},
    {"txtZone", "MdCoRefSys/projParas/zone"},
    {"txtparallel", "MdCoRefSys/projParas/stanParal"},
    {"txtLineLong", "MdCoRefSys/projParas/longCntMer"},
    {"txtLatOri", "MdCoRefSys/projParas/latProjOri"},
    {"txtFalseEast", "MdCoRefSys/projParas/falEastng"},
    {"txtFalseNorth", "MdCoRefSys/projParas/falNorthng"},
    {"txtFalseUnit", "MdCoRefSys/projParas/falENUnits"},
    {"txtScaleEqu", "MdCoRefSys/projParas/sclFacEqu"},
    {"txtHeightView", "MdCoRefSys/projParas/hgtProsPt"},
    {"txtLongAzi", "MdCoRefSys/projParas/longProjCnt"},
    {"txtLatAzi", "MdCoRefSys/projParas/latProjCnt"},
    {"txtScaleFactor", "MdCoRefSys/projParas/sclFacCnt"},
    {"txtLongStraight", "MdCoRefSys/projParas/stVrLongPl"},
    {"txtScaleProjOri", "MdCoRefSys/projParas/sclFacPrOr"},
};

constexpr forms::ControlSpec kEllipsoidControls[] = {
    {"lblIntro", Kind::Label, "Identity of the elliposid used", 240, 600, 9120, 255},
    {"lblLevel", Kind::Label, "Code of the ellipsoid", 240, 1020, 2760, 255},
    {"txtCode", Kind::TextBox, "", 3120, 960, 3000, 315, 0},
    {"frmDesc", Kind::Frame, "Parameters that describe the Datum", 240, 1500, 9120, 2175},
    {"lblDataSet", Kind::Label, "Radius of the equatorial axis of the ellipsoid", 120, 360, 5400,
     255, -1, "frmDesc"},
    {"txtRadius", Kind::TextBox, "", 5640, 330, 3000, 315, 3, "frmDesc"},
    {"lblOther", Kind::Label, "Units of the semi-major axis", 120, 840, 5400, 255, -1, "frmDesc"},
    {"txtUnit", Kind::TextBox, "", 5640, 810, 3000, 315, 2, "frmDesc"},
    {"Label1", Kind::Label,
     "Ratio of the difference between the equatorial and ploar radii of the ellipsoid to the "
     "equatorial radius when the numerator is set to 1",
     120, 1320, 5400, 675, -1, "frmDesc"},
    {"txtRatio", Kind::TextBox, "", 5640, 1320, 3000, 315, 1, "frmDesc"},
};

constexpr Field kEllipsoidFields[] = {
    {"txtCode", "MdCoRefSys/ellipsoid/identCode"},
    {"txtRadius", "MdCoRefSys/ellParas/semiMajAx"},
    {"txtUnit", "MdCoRefSys/ellParas/axisUnits"},
    {"txtRatio", "MdCoRefSys/ellParas/denFlatRat"},
};

constexpr forms::ControlSpec kDatumControls[] = {
    {"lblIntro", Kind::Label, "Identity of the Datum used", 240, 600, 9120, 255},
    {"lblLevel", Kind::Label, "Code of the Datum", 240, 1020, 2760, 255},
    {"txtCode", Kind::TextBox, "", 3120, 960, 3000, 315, 0},
};

constexpr Field kDatumFields[] = {{"txtCode", "MdCoRefSys/datum/identCode"}};

}  // namespace

extern const PageData kReferenceSysPage, kProjectionDescPage, kEllipsoidDescPage, kDatumDescPage;

constexpr PageData kReferenceSysPage{
    .class_name = "ReferenceSys",
    .clsid = com::guid("{9DF0CA45-06D6-429D-9010-9D866CD82634}"),
    .default_iid = com::guid("{C352F25F-A011-49DF-B708-5A076197CC46}"),
    .default_title = "Reference system",
    .controls = kReferenceControls,
    .fields = kReferenceFields,
};

constexpr PageData kProjectionDescPage{
    .class_name = "ProjectionDesc",
    .clsid = com::guid("{9AE305C5-C22C-4442-9E8D-5AC334ED30FD}"),
    .default_iid = com::guid("{AEDC3D65-72D7-41BF-8821-A59FADDD94B4}"),
    .default_title = "Projection Description",
    .controls = kProjectionControls,
    .fields = kProjectionFields,
    .answer = Answer::True,
};

constexpr PageData kEllipsoidDescPage{
    .class_name = "EllipsoidDesc",
    .clsid = com::guid("{4084B8E5-F3D1-4093-B660-AF0E6938A7DD}"),
    .default_iid = com::guid("{D5C13659-8B8A-4ADB-876F-D1D6082E898C}"),
    .default_title = "Ellipsoid Description",
    .controls = kEllipsoidControls,
    .fields = kEllipsoidFields,
    .answer = Answer::True,
};

constexpr PageData kDatumDescPage{
    .class_name = "DatumDesc",
    .clsid = com::guid("{4421F2DF-59D6-4821-AAF8-FF33D07C5604}"),
    .default_iid = com::guid("{77C4F5A9-4B3A-4AFD-A517-4036895A95DA}"),
    .default_title = "Datum Description",
    .controls = kDatumControls,
    .fields = kDatumFields,
    .answer = Answer::True,
};

}  // namespace tw::custom
