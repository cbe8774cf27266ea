// Four pages that each edit one free-text value: purpose, lineage, extent
// description and distribution format. They track changes, write only what
// the user edited, and tag the element with the extension namespace.

#include "framework/page_classes.h"

namespace tw::custom {
namespace {

using forms::Kind;

struct SingleText {
  std::string_view class_name;
  com::GUID clsid, default_iid;
  std::string_view title;
  std::string_view caption;
  std::string_view path;
  bool marked;      // the red "*" that marks the value as mandatory
  bool needs_text;  // Completed only while the box holds text
  int box_width, box_height;
};

constexpr std::string_view kTextBox[] = {"txtInfo"};

template <const SingleText& Page>
struct SingleTextPage {
  // The mark stands first so that pages without it can leave it out.
  static constexpr forms::ControlSpec controls_with_mark[] = {
      {.name = "lblReq",
       .kind = Kind::Label,
       .caption = "*",
       .left = 240,
       .top = 720,
       .width = 135,
       .height = 255,
       .look = forms::Look::RequiredMark},
      {"lblInfo", Kind::Label, Page.caption, 480, 720, 6765, 435},
      {"txtInfo", Kind::TextBox, "", 480, 1200, Page.box_width, Page.box_height, 0},
  };
  static constexpr Field fields[] = {{"txtInfo", Page.path, FieldKind::TaggedText}};

  static constexpr PageData data{
      .class_name = Page.class_name,
      .clsid = Page.clsid,
      .default_iid = Page.default_iid,
      .default_title = Page.title,
      .controls = std::span(controls_with_mark).subspan(Page.marked ? 0 : 1),
      .fields = fields,
      .change_handlers = kTextBox,
      .changed_after_load = false,
      .required_text = Page.needs_text ? "txtInfo" : "",
  };
};

constexpr SingleText kPurpose{"Purpose",
                              com::guid("{2E8AA0A5-8047-45E3-9DB3-078E8C41878B}"),
                              com::guid("{FFFF0C81-30A2-414A-8C7E-7957B0B53203}"),
                              "Purpose",
                              "Summary of the intentions with which te resource(s) was developped",
                              "dataIdInfo/idPurp",
                              true,
                              true,
                              6765,
                              3615};
constexpr SingleText kLineage{
    "Lineage",
    com::guid("{38C7A5F7-86B2-4852-8AC2-63D1E3838BB7}"),
    com::guid("{BBB3C0BB-48F4-4F1A-9AA0-3B491AC54A79}"),
    "Lineage",
    "General explanation of the data's producer knowledge about the lineage of a dataset",
    "dqInfo/dataLineage/statement",
    true,
    true,
    6765,
    3615};
constexpr SingleText kExtent{"Extent",
                             com::guid("{5B1A1F15-B514-4DA2-8EB2-42412B7C88DB}"),
                             com::guid("{7C5A6D8B-CFCA-4C01-BDD6-1C4A4E02AC7B}"),
                             "Extent",
                             "Description of the spatial and temporal extent",
                             "dataIdInfo/dataExt/exDesc",
                             false,
                             false,
                             6765,
                             3615};
constexpr SingleText kFormat{"Format",
                             com::guid("{73016C01-4A92-43F2-8070-945AA906A2D2}"),
                             com::guid("{3390566B-A72B-4CFA-B277-360C1BE11AF9}"),
                             "Format",
                             "Format of the data to be distributed",
                             "distInfo/distFormat/formatName",
                             false,
                             true,
                             6645,
                             855};

}  // namespace

extern const PageData kPurposePage, kLineagePage, kExtentPage, kFormatPage;
constexpr PageData kPurposePage = SingleTextPage<kPurpose>::data;
constexpr PageData kLineagePage = SingleTextPage<kLineage>::data;
constexpr PageData kExtentPage = SingleTextPage<kExtent>::data;
constexpr PageData kFormatPage = SingleTextPage<kFormat>::data;

}  // namespace tw::custom
