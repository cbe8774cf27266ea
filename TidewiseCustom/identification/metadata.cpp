// The facts about the metadata record itself, kept as plain text in seven
// elements below the root. The combo boxes store their text as shown.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

constexpr std::string_view kCharacterSets[] = {
    "ucs2",      "ucs4",      "utf7",       "utf8",       "utf16",      "8859part1",
    "8859part2", "8859part3", "8859part4",  "8859part5",  "8859part6",  "8859part7",
    "8859part8", "8859part9", "8859part11", "8859part14", "8859part15", "jis",
    "shiftJIS",  "eucJP",     "usAscii",    "ebcdic",     "eucKR",      "big5"};

// Labels at the left, fields at 3600.
constexpr int kLabelLeft = 840, kLabelWidth = 2655, kFieldLeft = 3600, kFieldWidth = 3615;

constexpr forms::ControlSpec kControls[] = {
    {"lblIntro", Kind::Label, "Defines metadata about a resource", 240, 600, 6975, 255, 13},
    {"lblChar", Kind::Label, "Character coding used for the metadata set", kLabelLeft, 960,
     kLabelWidth, 435, 1},
    {.name = "cmbChar",
     .kind = Kind::ComboBox,
     .caption = "ucs 2",
     .left = kFieldLeft,
     .top = 960,
     .width = 1815,
     .height = 315,
     .tab_index = 2,
     .items = kCharacterSets},
    {"lblParent", Kind::Label,
     "File identifier of the metadata to which this metadata is a subset (child)", kLabelLeft, 1440,
     kLabelWidth, 555, 3},
    {"txtParent", Kind::TextBox, "", kFieldLeft, 1440, 3615, 315, 4},
    {"lblLevel", Kind::Label, "Scope to which the metadata applies", kLabelLeft, 2040, kLabelWidth,
     435, 5},
    {.name = "cmbLevel",
     .kind = Kind::ComboBox,
     .left = kFieldLeft,
     .top = 2040,
     .width = 1935,
     .height = 315,
     .tab_index = 6,
     .items = kScopeLevels},
    {"lblLvlName", Kind::Label, "Name of the hierachy levels for which the metadata is provided",
     kLabelLeft, 2520, kLabelWidth, 555, 7},
    {"txtLvlName", Kind::TextBox, "", kFieldLeft, 2520, kFieldWidth, 315, 8},
    {"lblMetaName", Kind::Label, "Name of the metadata standard used", kLabelLeft, 3120,
     kLabelWidth, 435, 9},
    {"txtMetaName", Kind::TextBox, "", kFieldLeft, 3120, kFieldWidth, 315, 10},
    {"lblMetaVersion", Kind::Label, "Version of the metadata standard used", kLabelLeft, 3720,
     kLabelWidth, 435, 11},
    {"txtMetaVersion", Kind::TextBox, "", kFieldLeft, 3720, kFieldWidth, 315, 12},
    {"lblDate", Kind::Label, "Date that the metadata was created (YYYY-MM-DD)", kLabelLeft, 4440,
     kLabelWidth, 435, 14},
    {"txtDate", Kind::TextBox, "", kFieldLeft, 4440, kFieldWidth, 315, 15},
};

constexpr Field kFields[] = {
    {"cmbChar", "mdChar2"},       {"cmbLevel", "mdHrLv2"},        {"txtParent", "mdParentID"},
    {"txtLvlName", "mdHrLvName"}, {"txtMetaName", "mdStanName2"}, {"txtMetaVersion", "mdStanVer2"},
    {"txtDate", "mdDateSt"},
};

// The parent identifier is written before the level, unlike the load order.
constexpr std::string_view kWriteOrder[] = {
    "cmbChar", "txtParent", "cmbLevel", "txtLvlName", "txtMetaName", "txtMetaVersion", "txtDate"};

}  // namespace

extern const PageData kMetadataPage;
constexpr PageData kMetadataPage{
    .class_name = "Metadata",
    .clsid = com::guid("{C40B449A-D1EF-403C-AF78-A805C1B9834D}"),
    .default_iid = com::guid("{6E1B49A5-EE91-47A8-910C-3246902CBE35}"),
    .default_title = "Metadata information",
    .controls = kControls,
    .fields = kFields,
    .write_order = kWriteOrder,
    .update_flag = true,
};

}  // namespace tw::custom
