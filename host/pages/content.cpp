// The host's pages of what the data holds and how it was acquired: its
// feature catalogues, its coverages and images with their bands, and the
// platforms and instruments that took it.

#include "pages.h"

namespace tw::hostpages {
namespace {

using std::to_array;

constexpr ControlSpec option(std::string_view name, std::string_view caption, double row, int tab,
                             int left) {
  return {.name = name,
          .kind = Kind::OptionButton,
          .caption = caption,
          .left = left,
          .top = row_top(row),
          .width = 1200,
          .height = kLineHeight,
          .tab_index = tab};
}

// ---- Feature catalogues

constexpr auto kCatalogueControls =
    join(to_array<ControlSpec>({
             intro("The feature catalogues that describe the data's features and their attributes"),
             list_box("lstCatalogues", 0, 4, 0),
             label("lblCatTitle", "Catalogue", 4.2),
             text("txtCatTitle", 4.2, 5),
             label("lblCatDate", "Date of the catalogue", 5.2),
             text("txtCatDate", 5.2, 6, kFieldLeft, kHalfWidth, 1, "date"),
             label("lblCatDateType", "Date type", 5.2, kSecondLabel, kSecondLabelWidth),
             combo("cmbCatDateType", 5.2, 7, kSecondField, kSecondFieldWidth),
             label("lblCatUuid", "Catalogue's identifier (uuidref)", 6.2),
             text("txtCatUuid", 6.2, 8),
             label("lblCatHref", "Link to the catalogue", 7.2),
             text("txtCatHref", 7.2, 9),
             label("lblFeatTypes", "Feature types (one a line)", 8.2),
             text("txtFeatTypes", 8.2, 10, kFieldLeft, kFieldWidth, 2),
             label("lblCatLangs", "Languages (one a line)", 10.2),
             text("txtCatLangs", 10.2, 11, kFieldLeft, kFieldWidth, 1.6),
             label("lblIncluded", "Included with the data", 11.8),
             option("optIncluded", "yes", 11.8, 12, kFieldLeft),
             option("optNotIncluded", "no", 11.8, 13, kFieldLeft + 1440),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kCatalogueFields[] = {
    {.control = "txtCatTitle", .path = "catCitation/resTitle", .required = true},
    {.control = "txtCatDate", .path = "catCitation/resRefDate/refDate"},
    {.control = "cmbCatDateType",
     .path = "catCitation/resRefDate/refDateType/DateTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kDateTypes},
    {.control = "txtCatUuid",
     .path = "catCitation",
     .kind = FieldKind::Attribute,
     .attribute = "uuidref"},
    {.control = "txtCatHref",
     .path = "catCitation",
     .kind = FieldKind::Attribute,
     .attribute = "href"},
    {.control = "txtFeatTypes", .path = "catFetTyps", .kind = FieldKind::Lines},
    {.control = "txtCatLangs",
     .path = "catLang",
     .kind = FieldKind::Lines,
     .words = &kLanguages,
     .sub = "languageCode",
     .attribute = "value",
     .or_text = true},
    {.control = "optIncluded",
     .path = "incWithDS",
     .kind = FieldKind::Flag,
     .unselected = "optNotIncluded",
     .required = true},
};
constexpr std::string_view kCatalogueCaption[] = {"txtCatTitle", "txtCatUuid", "txtCatHref"};
constexpr Repeat kCatalogueLists[] = {{.list = "lstCatalogues",
                                       .path = "FetCatDesc",
                                       .fields = kCatalogueFields,
                                       .caption = kCatalogueCaption,
                                       .entry_name = "Catalogue",
                                       .add = "cmdAdd",
                                       .remove = "cmdRemove",
                                       .up = "cmdUp",
                                       .down = "cmdDown"}};

// ---- Coverages and images, with their bands

constexpr auto kCoverageControls =
    join(to_array<ControlSpec>({
             intro("What the data is made of: its coverages and images, and their bands"),
             list_box("lstCoverages", 0, 4, 0),
             label("lblKind", "Kind", 4.2),
             combo("cmbKind", 4.2, 5),
             label("lblAttDesc", "Attribute described", 5.2),
             text("txtAttDesc", 5.2, 6),
             label("lblContentType", "Type of content", 6.2),
             combo("cmbContentType", 6.2, 7),
             label("lblCloud", "Cloud cover (%)", 7.2),
             text("txtCloud", 7.2, 8, kFieldLeft, kHalfWidth, 1, "real"),
             label("lblProcLevel", "Processing level", 8.2),
             text("txtProcLevel", 8.2, 9, kFieldLeft, kHalfWidth),
             label("lblBands", "Bands of the coverage", 9.4, kLabelLeft, kFullWidth),
             list_box("lstBands", 10.1, 4, 10),
             label("lblBandDesc", "Descriptor", 14.3),
             text("txtBandDesc", 14.3, 15),
             label("lblSeqId", "Sequence identifier", 15.3),
             text("txtSeqId", 15.3, 16, kFieldLeft, kHalfWidth),
             label("lblBandId", "Identifier (id)", 15.3, kSecondLabel, kSecondLabelWidth),
             text("txtBandId", 15.3, 17, kSecondField, kSecondFieldWidth),
             label("lblMin", "Lowest value", 16.3),
             text("txtMin", 16.3, 18, kFieldLeft, kHalfWidth, 1, "real"),
             label("lblMax", "Highest value", 16.3, kSecondLabel, kSecondLabelWidth),
             text("txtMax", 16.3, 19, kSecondField, kSecondFieldWidth, 1, "real >=@txtMin"),
             label("lblUnits", "Units", 17.3),
             text("txtUnits", 17.3, 20, kFieldLeft, kHalfWidth),
             label("lblBits", "Bits per value", 17.3, kSecondLabel, kSecondLabelWidth),
             text("txtBits", 17.3, 21, kSecondField, kSecondFieldWidth, 1, "integer >0"),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1),
         list_buttons("cmdAddBand", "cmdRemoveBand", "cmdBandUp", "cmdBandDown", 10.1, 11));
constexpr Field kCoverageFields[] = {
    {.control = "txtAttDesc", .path = "attDesc", .required = true},
    {.control = "cmbContentType",
     .path = "contentTyp/ContentTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kContentTypes,
     .required = true},
    {.control = "txtCloud", .path = "cloudCovPer", .of_kind = "ImgDesc"},
    {.control = "txtProcLevel", .path = "prcTypCde/identCode", .of_kind = "ImgDesc"},
};
constexpr std::string_view kCoverageCaption[] = {"cmbKind", "txtAttDesc", "cmbContentType"};
constexpr Field kBandFields[] = {
    {.control = "txtBandDesc", .path = "dimDescrp"},
    {.control = "txtSeqId", .path = "seqID"},
    {.control = "txtBandId", .path = "", .kind = FieldKind::Attribute, .attribute = "id"},
    {.control = "txtMin", .path = "minVal"},
    {.control = "txtMax", .path = "maxVal"},
    {.control = "txtUnits", .path = "valUnit/uomName"},
    {.control = "txtBits", .path = "bitsPerVal"},
};
constexpr std::string_view kBandCaption[] = {"txtBandId", "txtBandDesc", "txtSeqId"};
constexpr Repeat kCoverageLists[] = {
    {.list = "lstCoverages",
     .path = "",
     .fields = kCoverageFields,
     .caption = kCoverageCaption,
     .entry_name = "Coverage",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown",
     .kinds = &kCoverageKinds,
     .kind = "cmbKind"},
    {.list = "lstBands",
     .path = "covDim",
     .parent = "lstCoverages",
     .within = "Band",
     .holding = "Band",
     .fields = kBandFields,
     .caption = kBandCaption,
     .entry_name = "Band",
     .add = "cmdAddBand",
     .remove = "cmdRemoveBand",
     .up = "cmdBandUp",
     .down = "cmdBandDown"},
};

// ---- Acquisition: platforms and their instruments

// The fields of an instrument, from `row` down; `names` are the controls'
// and their labels' (id, code space, type, description).
constexpr auto instrument_controls(double row, int tab, std::array<std::string_view, 8> names) {
  return to_array<ControlSpec>({
      label(names[4], "Identifier", row),
      text(names[0], row, tab, kFieldLeft, kHalfWidth),
      label(names[5], "Code space", row, kSecondLabel, kSecondLabelWidth),
      text(names[1], row, tab + 1, kSecondField, kSecondFieldWidth),
      label(names[6], "Type of instrument", row + 1),
      text(names[2], row + 1, tab + 2),
      label(names[7], "Description", row + 2),
      text(names[3], row + 2, tab + 3),
  });
}

constexpr auto kAcquisitionControls =
    join(to_array<ControlSpec>({
             intro("How the data was acquired: the platforms, and the instruments that took it"),
             label("lblPlatforms", "Platforms", 0, kLabelLeft, kFullWidth),
             list_box("lstPlatforms", 0.7, 4, 0),
             label("lblPlatId", "Identifier", 4.9),
             text("txtPlatId", 4.9, 5, kFieldLeft, kHalfWidth),
             label("lblPlatSpace", "Code space", 4.9, kSecondLabel, kSecondLabelWidth),
             text("txtPlatSpace", 4.9, 6, kSecondField, kSecondFieldWidth),
             label("lblPlatDesc", "Description", 5.9),
             text("txtPlatDesc", 5.9, 7),
             label("lblPlatCit", "Citation of the platform", 6.9),
             text("txtPlatCit", 6.9, 8),
             label("lblInstruments", "Instruments on the platform", 8.1, kLabelLeft, kFullWidth),
             list_box("lstInstruments", 8.8, 4, 9),
             label("lblOther", "Instruments not on a platform", 16.2, kLabelLeft, kFullWidth),
             list_box("lstOther", 16.9, 4, 18),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0.7, 1),
         list_buttons("cmdAddInstrument", "cmdRemoveInstrument", "cmdInstrumentUp",
                      "cmdInstrumentDown", 8.8, 10),
         instrument_controls(13, 14,
                             {"txtInstId", "txtInstSpace", "txtInstType", "txtInstDesc",
                              "lblInstId", "lblInstSpace", "lblInstType", "lblInstDesc"}),
         list_buttons("cmdAddOther", "cmdRemoveOther", "cmdOtherUp", "cmdOtherDown", 16.9, 19),
         instrument_controls(21.1, 23,
                             {"txtOtherId", "txtOtherSpace", "txtOtherType", "txtOtherDesc",
                              "lblOtherId", "lblOtherSpace", "lblOtherType", "lblOtherDesc"}));
constexpr Field kPlatformFields[] = {
    {.control = "txtPlatId", .path = "platId/identCode", .required = true},
    {.control = "txtPlatSpace", .path = "platId/idCodeSpace"},
    {.control = "txtPlatDesc", .path = "platDesc", .required = true},
    {.control = "txtPlatCit", .path = "platCit/resTitle"},
};
constexpr std::string_view kPlatformCaption[] = {"txtPlatId", "txtPlatDesc"};
constexpr Field kInstrumentFields[] = {
    {.control = "txtInstId", .path = "instId/identCode", .required = true},
    {.control = "txtInstSpace", .path = "instId/idCodeSpace"},
    {.control = "txtInstType", .path = "instType", .required = true},
    {.control = "txtInstDesc", .path = "instDesc"},
};
constexpr std::string_view kInstrumentCaption[] = {"txtInstId", "txtInstType"};
constexpr Field kOtherFields[] = {
    {.control = "txtOtherId", .path = "instId/identCode", .required = true},
    {.control = "txtOtherSpace", .path = "instId/idCodeSpace"},
    {.control = "txtOtherType", .path = "instType", .required = true},
    {.control = "txtOtherDesc", .path = "instDesc"},
};
constexpr std::string_view kOtherCaption[] = {"txtOtherId", "txtOtherType"};
constexpr Repeat kAcquisitionLists[] = {
    {.list = "lstPlatforms",
     .path = "acqInfo/acqPlat",
     .fields = kPlatformFields,
     .caption = kPlatformCaption,
     .entry_name = "Platform",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown"},
    {.list = "lstInstruments",
     .path = "platInstru",
     .parent = "lstPlatforms",
     .fields = kInstrumentFields,
     .caption = kInstrumentCaption,
     .entry_name = "Instrument",
     .add = "cmdAddInstrument",
     .remove = "cmdRemoveInstrument",
     .up = "cmdInstrumentUp",
     .down = "cmdInstrumentDown",
     .at_least = 1},
    {.list = "lstOther",
     .path = "acqInfo/acqInstru",
     .fields = kOtherFields,
     .caption = kOtherCaption,
     .entry_name = "Instrument",
     .add = "cmdAddOther",
     .remove = "cmdRemoveOther",
     .up = "cmdOtherUp",
     .down = "cmdOtherDown"},
};

}  // namespace

extern const PageData kFeatureCataloguesPage;
constexpr PageData kFeatureCataloguesPage =
    host_page("FeatureCatalogues", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A55}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A56}"), "Feature catalogues",
              kCatalogueControls, {}, kCatalogueLists);
extern const PageData kCoveragesPage;
constexpr PageData kCoveragesPage =
    host_page("Coverages", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A57}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A58}"), "Coverages and images",
              kCoverageControls, {}, kCoverageLists);
extern const PageData kAcquisitionPage;
constexpr PageData kAcquisitionPage =
    host_page("Acquisition", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A59}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A5A}"), "Acquisition",
              kAcquisitionControls, {}, kAcquisitionLists);

}  // namespace tw::hostpages
