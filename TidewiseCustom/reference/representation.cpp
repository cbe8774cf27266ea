// The geographic description, the grid representation, the application
// schema and the project's extension theme.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr forms::ControlSpec kGeoControls[] = {
    {"lblIntro", Kind::Label, "Description of the geographic area within which data is available",
     240, 600, 9120, 255},
    {.name = "optYes",
     .kind = Kind::OptionButton,
     .caption = "The bounding polygon encompasses an area covered by the data",
     .left = 480,
     .top = 1020,
     .width = 8400,
     .height = 315,
     .tab_index = 0,
     .selected = true},
    {"optNo", Kind::OptionButton,
     "The bounding polygon encompasses an area where data is not present", 480, 1440, 8400, 315, 1},
    {"Label1", Kind::Label, "Identifier used to represent a geographic area", 240, 1980, 9120, 255},
    {"txtID", Kind::TextBox, "", 240, 2280, 5400, 315, 2},
};

// The identifier is read and written before the extent type.
constexpr Field kGeoFields[] = {
    {"txtID", "dataIdInfo/geoDesc/geoId/identCode"},
    {"optYes", "dataIdInfo/geoDesc/exTypeCode", FieldKind::Flag, nullptr, "optNo"},
};

constexpr std::string_view kCellGeometries[] = {"Point", "Area"};
constexpr std::string_view kDimensionNames[] = {"Row",         "Column", "Vertical", "Track",
                                                "Cross Track", "Line",   "Sample",   "Time"};

constexpr int kLabelLeft = 240, kLabelWidth = 4920, kBoxLeft = 5280, kBoxWidth = 3600;

constexpr forms::ControlSpec kGridControls[] = {
    {"lblIntro", Kind::Label,
     "Specify the digital representation of spatial information for grid datasets", 240, 600, 9120,
     255},
    {"lblLevel", Kind::Label, "Number of independent spatial-temporal axes", kLabelLeft, 1020,
     kLabelWidth, 255},
    {"txtAxis", Kind::TextBox, "Text1", kBoxLeft, 960, kBoxWidth, 315, 2},
    {"Label1", Kind::Label, "Identification of grid data as point or cell", kLabelLeft, 1440,
     kLabelWidth, 255},
    {.name = "ListIdent",
     .kind = Kind::ComboBox,
     .caption = "Combo1",
     .left = kBoxLeft,
     .top = 1380,
     .width = kBoxWidth,
     .height = 315,
     .tab_index = 3,
     .items = kCellGeometries},
    {"Label2", Kind::Label, "Indication of wether or not parameters for transformation exists",
     kLabelLeft, 1860, kLabelWidth, 255},
    {"txtTransform", Kind::TextBox, "Text1", kBoxLeft, 1800, kBoxWidth, 315, 4},
    {"frmDesc", Kind::Frame, "Information about spatial-temporal axis properties", 240, 2340, 9120,
     1695},
    {"lblDataSet", Kind::Label, "Dimension name. Name of the axis", 120, 360, 4800, 255, -1,
     "frmDesc"},
    {.name = "ListDimName",
     .kind = Kind::ComboBox,
     .caption = "Combo1",
     .left = 5040,
     .top = 300,
     .width = 3600,
     .height = 315,
     .tab_index = 5,
     .container = "frmDesc",
     .items = kDimensionNames},
    {"Label3", Kind::Label, "Resolution. Degree of detail in the grid dataset.", 120, 840, 4800,
     255, -1, "frmDesc"},
    {"txtResolution", Kind::TextBox, "", 5040, 780, 3600, 315, 0, "frmDesc"},
    {"lblOther", Kind::Label, "Dimension size. Number of elements along the axis", 120, 1320, 4800,
     255, -1, "frmDesc"},
    {"txtDimension", Kind::TextBox, "", 5040, 1260, 3600, 315, 1, "frmDesc"},
};

constexpr Field kGridFields[] = {
    {"txtAxis", "GridSpatRep/numDims"},
    {"ListIdent", "GridSpatRep/cellGeo"},
    {"txtTransform", "GridSpatRep/tranParaAv"},
    {"ListDimName", "GridSpatRep/axDimProps/dimName"},
    {"txtResolution", "GridSpatRep/axDimProps/dimResol"},
    {"txtDimension", "GridSpatRep/axDimProps/dimSize"},
};

constexpr std::string_view kGridWriteOrder[] = {"ListIdent",    "txtAxis",       "ListDimName",
                                                "txtDimension", "txtResolution", "txtTransform"};

constexpr forms::ControlSpec kSchemaControls[] = {
    {"lblIntro", Kind::Label, "Information about the conceptual schema of a dataset", 240, 600,
     9120, 255},
    {"lblLevel", Kind::Label, "Identification of the schema language used", kLabelLeft, 1020,
     kLabelWidth, 255},
    {"txtSchemaLang", Kind::TextBox, "Text1", kBoxLeft, 960, kBoxWidth, 315, 0},
    {"Label1", Kind::Label, "Formal language used in application schema", kLabelLeft, 1500,
     kLabelWidth, 255},
    {"txtFormLang", Kind::TextBox, "Text1", kBoxLeft, 1440, kBoxWidth, 315, 3},
    {"Label2", Kind::Label, "Full application schema given as an ASCII file", kLabelLeft, 1980,
     kLabelWidth, 255},
    {"txtAscFile", Kind::TextBox, "Text1", kBoxLeft, 1920, kBoxWidth, 315, 1},
    {"Label3", Kind::Label, "Full application schema given as a graphics file", kLabelLeft, 2460,
     kLabelWidth, 255},
    {"txtGraphFile", Kind::TextBox, "Text1", kBoxLeft, 2400, kBoxWidth, 315, 2},
};

constexpr Field kSchemaFields[] = {
    {"txtSchemaLang", "appSchInfo/asSchLang"},
    {"txtFormLang", "appSchInfo/asCstLang"},
    {"txtAscFile", "appSchInfo/asAscii"},
    {"txtGraphFile", "appSchInfo/asGraFile/BinaryBase64"},
};

constexpr std::string_view kThemes[] = {"Elevation",
                                        "Bathymetry",
                                        "Shoreline",
                                        "Terrestrial administrative boundaries",
                                        "Marine administrative boundaries",
                                        "Infrastructure",
                                        "Hydrography",
                                        "Geology and geomorphology",
                                        "Erosion trend",
                                        "Actual land cover",
                                        "Land cover changes between 1975 and 1990",
                                        "Hydrodynamics",
                                        "Sea level",
                                        "Biodiversity and natural habitat",
                                        "Socio-economical aspects",
                                        "Land ownership patterns"};

constexpr forms::ControlSpec kThemeControls[] = {
    {"lblIntro", Kind::Label, "Tidewise topic category", 240, 600, 9120, 255},
    {"lblLevel", Kind::Label, "Tidewise topic category name", 240, 1080, 2760, 255},
    {.name = "listTidTheme",
     .kind = Kind::ComboBox,
     .caption = "Combo1",
     .left = 3120,
     .top = 1020,
     .width = 4200,
     .height = 315,
     .tab_index = 0,
     .items = kThemes},
};

constexpr Field kThemeFields[] = {{"listTidTheme", "tideExt/tidTopic"}};

}  // namespace

extern const PageData kGeoDescPage, kGridRepresentationPage, kSchemaInfoPage, kTidewiseExtPage;

constexpr PageData kGeoDescPage{
    .class_name = "GeoDesc",
    .clsid = com::guid("{80A25952-4AF3-4F2E-9FB7-5C314122E67B}"),
    .default_iid = com::guid("{29ABD711-ED90-4410-A038-AA0C7BC389DD}"),
    .default_title = "Geographic description",
    .at_creation = TitleAtCreation::ShortTitleOnly,
    .controls = kGeoControls,
    .fields = kGeoFields,
    .changed_before_reads = true,
    .answer = Answer::False,
    .on_load = TitleOnLoad::ShowShortTitle,
};

constexpr PageData kGridRepresentationPage{
    .class_name = "GridRepresentation",
    .clsid = com::guid("{DAA07F9E-3844-4F6D-9611-6C4267730556}"),
    .default_iid = com::guid("{1D8FCD0A-069E-4CEB-B0AB-D5C763B5327C}"),
    .default_title = "Grid Representation",
    .controls = kGridControls,
    .fields = kGridFields,
    .write_order = kGridWriteOrder,
    .xml_up_front = true,
    .answer = Answer::True,
    .update_flag = true,
};

constexpr PageData kSchemaInfoPage{
    .class_name = "SchemaInfo",
    .clsid = com::guid("{1DBB31D3-EF85-4E1D-8BC5-F710AC4EDEE0}"),
    .default_iid = com::guid("{842F64FD-11B8-406D-B9C0-14EA1A7616D8}"),
    .default_title = "Schema Information",
    .controls = kSchemaControls,
    .fields = kSchemaFields,
    .xml_up_front = true,
    .answer = Answer::True,
    .update_flag = true,
};

constexpr PageData kTidewiseExtPage{
    .class_name = "TidewiseExt",
    .clsid = com::guid("{9C456B89-AD92-40CE-839B-166CD0FA98C6}"),
    .default_iid = com::guid("{58A0785B-5F58-424E-BC68-FABC245AD58F}"),
    .default_title = "Tidewise theme",
    .controls = kThemeControls,
    .fields = kThemeFields,
    .answer = Answer::True,
};

}  // namespace tw::custom
