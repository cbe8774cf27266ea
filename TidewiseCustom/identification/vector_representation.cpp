// The vector spatial representation: topology level and one geometric object
// type with its count, stored as element text below "VectSpatRep". It counts
// as changed from its load on, and always reports success on unload.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kLevels[] = {"geometryOnly",    "topology1D",     "planarGraph",
                                        "fullPlanarGraph", "surfaceGraph",   "fullSurfaceGraph",
                                        "topology3D",      "fullTopology3D", "abstract"};

constexpr std::string_view kObjectTypes[] = {"complexes", "composites", "curve",
                                             "point",     "solid",      "surface"};

constexpr forms::ControlSpec kControls[] = {
    {"d", Kind::Label, "Information about the vector spatial objects in the dataset", 240, 600,
     9120, 255},
    {"lblLevel", Kind::Label,
     "Code which identifies the degree of the complexity of the spatial relationships", 240, 1020,
     9120, 255},
    {.name = "cmbLevel",
     .kind = Kind::ComboBox,
     .left = 240,
     .top = 1320,
     .width = 3015,
     .height = 315,
     .tab_index = 0,
     .items = kLevels},
    {"frmDesc", Kind::Frame,
     "Number of objects, listed by geometric object type, used in the dataset", 240, 1860, 9120,
     2055},
    {"lblDataSet", Kind::Label,
     "Name of point and vector spatial objects used to locate zero-,one- and two-dimensional "
     "spatial locations in the dataset",
     120, 360, 4320, 855, -1, "frmDesc"},
    {.name = "txtName",
     .kind = Kind::ComboBox,
     .left = 4680,
     .top = 360,
     .width = 4200,
     .height = 315,
     .tab_index = 2,
     .container = "frmDesc",
     .items = kObjectTypes},
    {"lblOther", Kind::Label,
     "Total number of the point or vector object type occuring in the dataset", 120, 1320, 4320,
     555, -1, "frmDesc"},
    {"txtNumber", Kind::TextBox, "", 4680, 1320, 4200, 315, 1, "frmDesc"},
};

constexpr Field kFields[] = {
    {"cmbLevel", "VectSpatRep/topLvl"},
    {"txtName", "VectSpatRep/geometObjs/geoObjTyp"},
    {"txtNumber", "VectSpatRep/geometObjs/geoObjCnt"},
};

constexpr std::string_view kChangeHandlers[] = {"cmbLevel"};

}  // namespace

extern const PageData kVectorRepresentationPage;
constexpr PageData kVectorRepresentationPage{
    .class_name = "VectorRepresentation",
    .clsid = com::guid("{D742A34C-1420-4232-9D8F-26063A1AE890}"),
    .default_iid = com::guid("{288F8A5F-B63F-413F-862E-D048D08D9AB8}"),
    .default_title = "Vector Representation",
    .controls = kControls,
    .fields = kFields,
    .change_handlers = kChangeHandlers,
    .answer = Answer::True,
    .update_flag = true,
};

}  // namespace tw::custom
