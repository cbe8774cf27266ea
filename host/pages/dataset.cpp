// The host's pages of the book "DatasetId": the service a record describes,
// the resolution of the data, and the languages and character sets it uses.

#include "pages.h"

namespace tw::hostpages {
namespace {

using std::to_array;

// ---- Service identification

constexpr auto kServiceControls = join(
    to_array<ControlSpec>({
        intro("A service: its type, how it couples to data, its operations and the data it serves"),
        label("lblSvType", "Service type", 0),
        text("txtSvType", 0, 0),
        label("lblSvTypeVer", "Versions of the type (one a line)", 1),
        text("txtSvTypeVer", 1, 1, kFieldLeft, kFieldWidth, 1.6),
        label("lblCoupling", "Coupling with data", 2.6),
        combo("cmbCoupling", 2.6, 2),
        label("lblOps", "Operations", 3.8, kLabelLeft, kFullWidth),
        list_box("lstOps", 4.5, 4, 3),
        label("lblOpName", "Operation name", 8.7),
        text("txtOpName", 8.7, 8),
        label("lblDCP", "Platforms (one a line)", 9.7),
        text("txtDCP", 9.7, 9, kFieldLeft, kFieldWidth, 1.6),
        label("lblOpDesc", "Description", 11.3),
        text("txtOpDesc", 11.3, 10),
        label("lblConnect", "Connect point", 12.3),
        text("txtConnect", 12.3, 11),
        label("lblOperatesOn", "Data the service operates on", 13.5, kLabelLeft, kFullWidth),
        list_box("lstOperatesOn", 14.2, 4, 12),
        label("lblOnTitle", "Title", 18.4),
        text("txtOnTitle", 18.4, 17),
        label("lblOnUuid", "Identifier of the data (uuidref)", 19.4),
        text("txtOnUuid", 19.4, 18),
        label("lblOnHref", "Link to the data's record", 20.4),
        text("txtOnHref", 20.4, 19),
        label("lblFees", "Fees for using the service", 21.6),
        text("txtFees", 21.6, 20),
    }),
    list_buttons("cmdAddOp", "cmdRemoveOp", "cmdOpUp", "cmdOpDown", 4.5, 4),
    list_buttons("cmdAddOn", "cmdRemoveOn", "cmdOnUp", "cmdOnDown", 14.2, 13));
constexpr Field kServiceFields[] = {
    {.control = "txtSvType", .path = "dataIdInfo/svType"},
    {.control = "txtSvTypeVer", .path = "dataIdInfo/svTypeVer", .kind = FieldKind::Lines},
    {.control = "cmbCoupling",
     .path = "dataIdInfo/svCouplType",
     .kind = FieldKind::Words,
     .words = &kCouplings},
    {.control = "txtFees", .path = "dataIdInfo/svAccProps/resFees"},
};
constexpr Field kOperationFields[] = {
    {.control = "txtOpName", .path = "operName", .required = true},
    {.control = "txtDCP", .path = "DCP", .kind = FieldKind::Lines, .required = true},
    {.control = "txtOpDesc", .path = "operDesc"},
    {.control = "txtConnect", .path = "connPoint/linkage", .required = true},
};
constexpr std::string_view kOperationCaption[] = {"txtOpName", "txtConnect"};
constexpr Field kOperatesOnFields[] = {
    {.control = "txtOnTitle", .path = "", .kind = FieldKind::Attribute, .attribute = "title"},
    {.control = "txtOnUuid", .path = "", .kind = FieldKind::Attribute, .attribute = "uuidref"},
    {.control = "txtOnHref", .path = "", .kind = FieldKind::Attribute, .attribute = "href"},
};
constexpr std::string_view kOperatesOnCaption[] = {"txtOnTitle", "txtOnUuid", "txtOnHref"};
constexpr Repeat kServiceLists[] = {
    {.list = "lstOps",
     .path = "dataIdInfo/svOper",
     .fields = kOperationFields,
     .caption = kOperationCaption,
     .entry_name = "Operation",
     .add = "cmdAddOp",
     .remove = "cmdRemoveOp",
     .up = "cmdOpUp",
     .down = "cmdOpDown"},
    {.list = "lstOperatesOn",
     .path = "dataIdInfo/svOperOn",
     .fields = kOperatesOnFields,
     .caption = kOperatesOnCaption,
     .entry_name = "Data",
     .add = "cmdAddOn",
     .remove = "cmdRemoveOn",
     .up = "cmdOnUp",
     .down = "cmdOnDown"},
};

// ---- Resolution

constexpr auto kResolutionControls =
    join(to_array<ControlSpec>({
             intro("How fine the data is: a scale, or a ground distance with its unit"),
             list_box("lstResolutions", 0, 4, 0),
             label("lblDenom", "Scale denominator (1 : N)", 4.2),
             text("txtDenom", 4.2, 5, kFieldLeft, kHalfWidth, 1, "integer >0"),
             label("lblDistance", "Or a ground distance", 5.2),
             text("txtDistance", 5.2, 6, kFieldLeft, kHalfWidth, 1, "real >0"),
             label("lblUnit", "Unit (\"m\")", 5.2, kSecondLabel, kSecondLabelWidth),
             text("txtUnit", 5.2, 7, kSecondField, kSecondFieldWidth, 1,
                  "text required-with=txtDistance"),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kResolutionFields[] = {
    {.control = "txtDenom", .path = "equScale/rfDenom"},
    {.control = "txtDistance", .path = "scaleDist", .kind = FieldKind::Amount},
    {.control = "txtUnit", .path = "scaleDist", .kind = FieldKind::Unit},
};
constexpr std::string_view kResolutionCaption[] = {"txtDenom", "txtDistance", "txtUnit"};
constexpr std::string_view kResolutionEither[] = {"txtDenom", "txtDistance"};
constexpr Repeat kResolutionLists[] = {{.list = "lstResolutions",
                                        .path = "dataIdInfo/dataScale",
                                        .fields = kResolutionFields,
                                        .caption = kResolutionCaption,
                                        .entry_name = "Resolution",
                                        .add = "cmdAdd",
                                        .remove = "cmdRemove",
                                        .up = "cmdUp",
                                        .down = "cmdDown",
                                        .one_of = kResolutionEither}};

// ---- Languages and character sets of the data

constexpr ControlSpec kLanguageControls[] = {
    intro("The languages the data is written in, and the character sets it is encoded in"),
    label("lblLangs", "Languages (one a line)", 0),
    text("txtLangs", 0, 0, kFieldLeft, kFieldWidth, 3),
    label("lblLangList", "ISO 639-2 codes, or names: \"eng\", \"French\", \"deu \u2014 German\"...",
          3, kFieldLeft, kFieldWidth),
    label("lblChars", "Character sets (one a line)", 4),
    text("txtChars", 4, 1, kFieldLeft, kFieldWidth, 2),
    label("lblCharList", "In words: UTF-8, ISO 8859-1 (Latin-1, Western European)...", 6,
          kFieldLeft, kFieldWidth),
};
constexpr Field kLanguageFields[] = {
    {.control = "txtLangs",
     .path = "dataIdInfo/dataLang",
     .kind = FieldKind::Lines,
     .words = &kLanguages,
     .required = true,
     .sub = "languageCode",
     .attribute = "value",
     .or_text = true},
    {.control = "txtChars",
     .path = "dataIdInfo/dataChar",
     .kind = FieldKind::Lines,
     .words = &kCharacterSets},
};

}  // namespace

extern const PageData kServicePage;
constexpr PageData kServicePage =
    host_page("ServiceIdentification", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A21}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A22}"), "Service", kServiceControls,
              kServiceFields, kServiceLists);
extern const PageData kResolutionPage;
constexpr PageData kResolutionPage =
    host_page("Resolution", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A23}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A24}"), "Resolution",
              kResolutionControls, {}, kResolutionLists);
extern const PageData kDataLanguagesPage;
constexpr PageData kDataLanguagesPage =
    host_page("DataLanguages", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A25}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A26}"), "Languages of the data",
              kLanguageControls, kLanguageFields);

}  // namespace tw::hostpages
