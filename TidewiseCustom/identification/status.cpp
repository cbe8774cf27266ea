// The progress status of the resource, stored as the code list's name itself
// and tagged with the extension namespace. Once loaded it writes on every
// unload.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kStatuses[] = {"completed",       "historicalArchive", "obsolete",
                                          "onGoing",         "planned",           "required",
                                          "underDevelopment"};

constexpr forms::ControlSpec kControls[] = {
    {.name = "lblReq",
     .kind = Kind::Label,
     .caption = "*",
     .left = 240,
     .top = 840,
     .width = 135,
     .height = 255,
     .look = forms::Look::RequiredMark},
    {"lblStatus", Kind::Label, "Status of the resource", 480, 840, 2415, 255},
    {.name = "cmbStatus",
     .kind = Kind::ComboBox,
     .caption = "completed",
     .left = 3000,
     .top = 780,
     .width = 2535,
     .height = 315,
     .tab_index = 0,
     .items = kStatuses},
};

constexpr Field kFields[] = {{"cmbStatus", "dataIdInfo/idStatus", FieldKind::TaggedText}};

}  // namespace

extern const PageData kStatusPage;
constexpr PageData kStatusPage{
    .class_name = "Status",
    .clsid = com::guid("{C1079E4B-C5B8-41A6-9328-C4FFBF9234F6}"),
    .default_iid = com::guid("{C20D03E1-36EE-4FF0-8A9E-4A77EA0D42D0}"),
    .default_title = "Status",
    .controls = kControls,
    .fields = kFields,
};

}  // namespace tw::custom
