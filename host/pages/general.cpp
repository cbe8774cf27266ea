// The host's pages of the book "GeneralInfo": the citation, the
// description, keywords, topic categories, the responsible parties, the
// record itself, maintenance, graphic overviews and constraints.

#include "pages.h"
#include "parties.h"

namespace tw::hostpages {
namespace {

using std::to_array;

// ---- Citation

constexpr auto kCitationControls =
    join(to_array<ControlSpec>({
             intro("How the resource is cited: its titles, dates, identifiers and series"),
             label("lblTitle", "Title", 0),
             text("txtTitle", 0, 0),
             label("lblAltTitles", "Alternate titles (one a line)", 1),
             text("txtAltTitles", 1, 1, kFieldLeft, kFieldWidth, 2),
             label("lblEdition", "Edition", 3),
             text("txtEdition", 3, 2, kFieldLeft, kHalfWidth),
             label("lblEdDate", "Edition date", 3, kSecondLabel, kSecondLabelWidth),
             text("txtEdDate", 3, 3, kSecondField, kSecondFieldWidth, 1, "date"),
             label("lblDates", "Dates of the resource", 4, kLabelLeft, kFullWidth),
             list_box("lstDates", 4.7, 4, 4),
             label("lblDate", "Date (YYYY-MM-DD)", 8.8),
             text("txtDate", 8.8, 9, kFieldLeft, kHalfWidth, 1, "date"),
             label("lblDateType", "Date type", 8.8, kSecondLabel, kSecondLabelWidth),
             combo("cmbDateType", 8.8, 10, kSecondField, kSecondFieldWidth),
             label("lblIds", "Identifiers", 10, kLabelLeft, kFullWidth),
             list_box("lstIds", 10.7, 4, 11),
             label("lblCode", "Code", 14.8),
             text("txtCode", 14.8, 16),
             label("lblCodeSpace", "Code space", 15.8),
             text("txtCodeSpace", 15.8, 17, kFieldLeft, kHalfWidth),
             label("lblIdVersion", "Version", 15.8, kSecondLabel, kSecondLabelWidth),
             text("txtIdVersion", 15.8, 18, kSecondField, kSecondFieldWidth),
             label("lblSeries", "Series name", 17),
             text("txtSeries", 17, 19),
             label("lblIssue", "Issue of the series", 18),
             text("txtIssue", 18, 20, kFieldLeft, kHalfWidth),
             label("lblPage", "Pages", 18, kSecondLabel, kSecondLabelWidth),
             text("txtPage", 18, 21, kSecondField, kSecondFieldWidth),
         }),
         list_buttons("cmdAddDate", "cmdRemoveDate", "cmdDateUp", "cmdDateDown", 4.7, 5),
         list_buttons("cmdAddId", "cmdRemoveId", "cmdIdUp", "cmdIdDown", 10.7, 12));

constexpr Field kCitationFields[] = {
    {.control = "txtTitle", .path = "dataIdInfo/idCitation/resTitle", .required = true},
    {.control = "txtAltTitles",
     .path = "dataIdInfo/idCitation/resAltTitle",
     .kind = FieldKind::Lines},
    {.control = "txtEdition", .path = "dataIdInfo/idCitation/resEd"},
    {.control = "txtEdDate", .path = "dataIdInfo/idCitation/resEdDate"},
    {.control = "txtSeries", .path = "dataIdInfo/idCitation/datasetSeries/seriesName"},
    {.control = "txtIssue", .path = "dataIdInfo/idCitation/datasetSeries/issId"},
    {.control = "txtPage", .path = "dataIdInfo/idCitation/datasetSeries/artPage"},
};
constexpr Field kDateFields[] = {
    {.control = "txtDate", .path = "refDate", .required = true},
    {.control = "cmbDateType",
     .path = "refDateType/DateTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kDateTypes,
     .required = true},
};
constexpr std::string_view kDateCaption[] = {"txtDate", "cmbDateType"};
constexpr Field kIdentifierFields[] = {
    {.control = "txtCode", .path = "identCode", .required = true},
    {.control = "txtCodeSpace", .path = "idCodeSpace"},
    {.control = "txtIdVersion", .path = "idVersion"},
};
constexpr std::string_view kIdentifierCaption[] = {"txtCodeSpace", "txtCode", "txtIdVersion"};
constexpr Repeat kCitationLists[] = {
    {.list = "lstDates",
     .path = "dataIdInfo/idCitation/resRefDate",
     .fields = kDateFields,
     .caption = kDateCaption,
     .entry_name = "Date",
     .add = "cmdAddDate",
     .remove = "cmdRemoveDate",
     .up = "cmdDateUp",
     .down = "cmdDateDown",
     .at_least = 1},
    {.list = "lstIds",
     .path = "dataIdInfo/idCitation/citId",
     .fields = kIdentifierFields,
     .caption = kIdentifierCaption,
     .entry_name = "Identifier",
     .add = "cmdAddId",
     .remove = "cmdRemoveId",
     .up = "cmdIdUp",
     .down = "cmdIdDown"},
};

// ---- Description

constexpr ControlSpec kDescriptionControls[] = {
    intro("What the resource is, who made it possible, and what else to know"),
    label("lblAbstract", "Abstract", 0, kFullLeft, kFullWidth),
    text("txtAbstract", 0.7, 0, kFullLeft, kFullWidth, 7),
    label("lblCredit", "Credits (one a line)", 7.8, kFullLeft, kFullWidth),
    text("txtCredit", 8.5, 1, kFullLeft, kFullWidth, 3),
    label("lblSupp", "Supplemental information", 11.6, kFullLeft, kFullWidth),
    text("txtSupp", 12.3, 2, kFullLeft, kFullWidth, 4),
};
constexpr Field kDescriptionFields[] = {
    {.control = "txtAbstract", .path = "dataIdInfo/idAbs", .required = true},
    {.control = "txtCredit", .path = "dataIdInfo/idCredit", .kind = FieldKind::Lines},
    {.control = "txtSupp", .path = "dataIdInfo/suppInfo"},
};

// ---- Keywords

constexpr auto kKeywordControls = join(
    to_array<ControlSpec>({
        intro("Keywords in sets: each set of one type, from one thesaurus"),
        label("lblSets", "Keyword sets", 0, kLabelLeft, kFullWidth),
        list_box("lstSets", 0.7, 4, 0),
        label("lblType", "Type of the keywords", 4.8),
        combo("cmbType", 4.8, 5),
        label("lblThesaurus", "Thesaurus title", 5.8),
        text("txtThesaurus", 5.8, 6),
        label("lblThesLink", "Thesaurus link", 6.8),
        text("txtThesLink", 6.8, 7, kFieldLeft, kFieldWidth),
        label("lblThesDate", "Thesaurus date", 7.8),
        text("txtThesDate", 7.8, 8, kFieldLeft, kHalfWidth, 1, "date"),
        label("lblThesDateType", "Date type", 7.8, kSecondLabel, kSecondLabelWidth),
        combo("cmbThesDateType", 7.8, 9, kSecondField, kSecondFieldWidth),
        label("lblKeywords", "Keywords of the set", 9, kLabelLeft, kFullWidth),
        list_box("lstKeywords", 9.7, 5, 10),
        label("lblKeyword", "Keyword", 14.8),
        text("txtKeyword", 14.8, 15),
        label("lblLink", "Link of the keyword (anchor)", 15.8),
        text("txtLink", 15.8, 16, kFieldLeft, kFieldWidth),
    }),
    list_buttons("cmdAddSet", "cmdRemoveSet", "cmdSetUp", "cmdSetDown", 0.7, 1),
    list_buttons("cmdAddKeyword", "cmdRemoveKeyword", "cmdKeywordUp", "cmdKeywordDown", 9.7, 11));

constexpr Field kSetFields[] = {
    {.control = "cmbType",
     .path = "keyTyp/KeyTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kKeywordTypes},
    {.control = "txtThesaurus", .path = "thesaName/resTitle"},
    {.control = "txtThesLink",
     .path = "thesaName/resTitle",
     .kind = FieldKind::Attribute,
     .attribute = "href"},
    {.control = "txtThesDate", .path = "thesaName/resRefDate/refDate"},
    {.control = "cmbThesDateType",
     .path = "thesaName/resRefDate/refDateType/DateTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kDateTypes},
};
constexpr std::string_view kSetCaption[] = {"cmbType", "txtThesaurus"};
constexpr Field kKeywordFields[] = {
    {.control = "txtKeyword", .path = "", .required = true},
    {.control = "txtLink", .path = "", .kind = FieldKind::Attribute, .attribute = "href"},
};
constexpr std::string_view kKeywordCaption[] = {"txtKeyword"};
constexpr Repeat kKeywordLists[] = {
    {.list = "lstSets",
     .path = "dataIdInfo/searchKeys",
     .fields = kSetFields,
     .caption = kSetCaption,
     .entry_name = "Keyword set",
     .add = "cmdAddSet",
     .remove = "cmdRemoveSet",
     .up = "cmdSetUp",
     .down = "cmdSetDown"},
    {.list = "lstKeywords",
     .path = "keyword",
     .parent = "lstSets",
     .fields = kKeywordFields,
     .caption = kKeywordCaption,
     .entry_name = "Keyword",
     .add = "cmdAddKeyword",
     .remove = "cmdRemoveKeyword",
     .up = "cmdKeywordUp",
     .down = "cmdKeywordDown",
     .at_least = 1},
};

// ---- Topic categories

constexpr ControlSpec kTopicControls[] = {
    intro("The main themes of the resource in ISO's list: tick every one that applies"),
    list_box("lstTopics", 0, 14, 0, kLabelLeft, 5400, true),
};
constexpr Field kTopicFields[] = {
    {.control = "lstTopics",
     .path = "dataIdInfo/tpCat",
     .kind = FieldKind::Checked,
     .words = &kTopics,
     .sub = "TopicCatCd",
     .attribute = "value"},
};

// ---- Responsible parties: points of contact, cited parties, metadata contacts

constexpr auto kPartyControls = join(party_controls("lstParties"),
                                     list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));

constexpr Repeat party_list(std::string_view path, std::span<const Field> fields,
                            std::size_t at_least = 0) {
  return {.list = "lstParties",
          .path = path,
          .fields = fields,
          .caption = kPartyCaption,
          .entry_name = "Party",
          .add = "cmdAdd",
          .remove = "cmdRemove",
          .up = "cmdUp",
          .down = "cmdDown",
          .at_least = at_least,
          .one_of = kPartyNames};
}
constexpr Repeat kPointsOfContact[] = {party_list("dataIdInfo/idPoC", kNamedRoleParty)};
constexpr Repeat kCitedParties[] = {
    party_list("dataIdInfo/idCitation/citRespParty", kCodedRoleParty)};
constexpr Repeat kMetadataContacts[] = {party_list("mdContact", kCodedRoleParty, 1)};

// ---- The record itself

constexpr auto kMetadataInfoControls =
    join(to_array<ControlSpec>({
             intro("The metadata record itself: its identifier, languages, date and standard"),
             label("lblFileId", "File identifier", 0),
             text("txtFileId", 0, 0),
             label("lblLang", "Language of the record", 1),
             combo("cmbLang", 1, 1),
             label("lblChar", "Character set", 2),
             combo("cmbChar", 2, 2, kFieldLeft, 4800),
             label("lblDateSt", "Date stamp (YYYY-MM-DD)", 3),
             text("txtDateSt", 3, 3, kFieldLeft, kHalfWidth, 1, "date"),
             label("lblStanName", "Metadata standard", 4),
             text("txtStanName", 4, 4),
             label("lblStanVer", "Version of the standard", 5),
             text("txtStanVer", 5, 5),
             label("lblLevel", "Hierarchy level", 6),
             combo("cmbLevel", 6, 6),
             label("lblLevelName", "Name of the hierarchy level", 7),
             text("txtLevelName", 7, 7),
             label("lblParent", "Parent record's identifier", 8),
             text("txtParent", 8, 8),
             label("lblDataSetURI", "Dataset URI", 9),
             text("txtDataSetURI", 9, 9, kFieldLeft, kFieldWidth),
             label("lblLocales", "Other languages of the record (locales)", 10.2, kLabelLeft,
                   kFullWidth),
             list_box("lstLocales", 10.9, 4, 10),
             label("lblLocId", "Identifier (id)", 15.1),
             text("txtLocId", 15.1, 15, kFieldLeft, kHalfWidth),
             label("lblLocCountry", "Country", 15.1, kSecondLabel, kSecondLabelWidth),
             text("txtLocCountry", 15.1, 16, kSecondField, kSecondFieldWidth),
             label("lblLocLang", "Language", 16.1),
             combo("cmbLocLang", 16.1, 17),
             label("lblLocChar", "Character set", 17.1),
             combo("cmbLocChar", 17.1, 18, kFieldLeft, 4800),
         }),
         list_buttons("cmdAddLocale", "cmdRemoveLocale", "cmdLocaleUp", "cmdLocaleDown", 10.9, 11));
constexpr Field kMetadataInfoFields[] = {
    {.control = "txtFileId", .path = "mdFileID"},
    {.control = "cmbLang",
     .path = "mdLang/languageCode",
     .kind = FieldKind::WordsAt,
     .words = &kLanguages,
     .or_text = true},
    {.control = "cmbChar", .path = "mdChar2", .kind = FieldKind::Words, .words = &kCharacterSets},
    {.control = "txtDateSt", .path = "mdDateSt", .required = true},
    {.control = "txtStanName", .path = "mdStanName2"},
    {.control = "txtStanVer", .path = "mdStanVer2"},
    {.control = "cmbLevel", .path = "mdHrLv2", .kind = FieldKind::Words, .words = &kScopeNames},
    {.control = "txtLevelName", .path = "mdHrLvName"},
    {.control = "txtParent", .path = "mdParentID"},
    {.control = "txtDataSetURI", .path = "dataSetURI"},
};
constexpr Field kLocaleFields[] = {
    {.control = "txtLocId", .path = "", .kind = FieldKind::Attribute, .attribute = "id"},
    {.control = "txtLocCountry",
     .path = "locCountry/countryCode",
     .kind = FieldKind::Attribute,
     .attribute = "value"},
    {.control = "cmbLocLang",
     .path = "locLang/languageCode",
     .kind = FieldKind::WordsAt,
     .words = &kLanguages,
     .required = true},
    {.control = "cmbLocChar",
     .path = "locEnc",
     .kind = FieldKind::Words,
     .words = &kCharacterSets,
     .required = true},
};
constexpr std::string_view kLocaleCaption[] = {"cmbLocLang", "txtLocCountry", "txtLocId"};
constexpr Repeat kLocaleLists[] = {{.list = "lstLocales",
                                    .path = "mdLocale",
                                    .fields = kLocaleFields,
                                    .caption = kLocaleCaption,
                                    .entry_name = "Locale",
                                    .add = "cmdAddLocale",
                                    .remove = "cmdRemoveLocale",
                                    .up = "cmdLocaleUp",
                                    .down = "cmdLocaleDown"}};

// ---- Maintenance

constexpr ControlSpec kMaintenanceControls[] = {
    intro("How often the resource and its record are brought up to date"),
    frame("frmResource", "The resource", 0, 6.3),
    label("lblFreq", "Frequency of maintenance", 0.7),
    combo("cmbFreq", 0.7, 0),
    label("lblNext", "Next update (YYYY-MM-DD)", 1.7),
    text("txtNext", 1.7, 1, kFieldLeft, kHalfWidth, 1, "date"),
    label("lblScope", "Scope of the updates", 2.7),
    combo("cmbScope", 2.7, 2),
    label("lblNote", "Notes (one a line)", 3.7),
    text("txtNote", 3.7, 3, kFieldLeft, kFieldWidth, 2.4),
    frame("frmRecord", "The metadata record", 6.6, 5.3),
    label("lblMdFreq", "Frequency of maintenance", 7.3),
    combo("cmbMdFreq", 7.3, 4),
    label("lblMdNext", "Next update (YYYY-MM-DD)", 8.3),
    text("txtMdNext", 8.3, 5, kFieldLeft, kHalfWidth, 1, "date"),
    label("lblMdNote", "Notes (one a line)", 9.3),
    text("txtMdNote", 9.3, 6, kFieldLeft, kFieldWidth, 2.4),
};
constexpr Field kMaintenanceFields[] = {
    {.control = "cmbFreq",
     .path = "dataIdInfo/resMaint/maintFreq/MaintFreqCd",
     .kind = FieldKind::WordsAt,
     .words = &kFrequencies},
    {.control = "txtNext", .path = "dataIdInfo/resMaint/dateNext"},
    {.control = "cmbScope",
     .path = "dataIdInfo/resMaint/maintScp/ScopeCd",
     .kind = FieldKind::WordsAt,
     .words = &kScopeCodes},
    {.control = "txtNote", .path = "dataIdInfo/resMaint/maintNote", .kind = FieldKind::Lines},
    {.control = "cmbMdFreq",
     .path = "mdMaint/maintFreq/MaintFreqCd",
     .kind = FieldKind::WordsAt,
     .words = &kFrequencies},
    {.control = "txtMdNext", .path = "mdMaint/dateNext"},
    {.control = "txtMdNote", .path = "mdMaint/maintNote", .kind = FieldKind::Lines},
};

// ---- Graphic overviews

constexpr auto kOverviewControls =
    join(to_array<ControlSpec>({
             intro("Pictures that show what the resource looks like"),
             list_box("lstOverviews", 0, 4, 0),
             label("lblFileName", "File name or address", 4.2),
             text("txtFileName", 4.2, 5, kFieldLeft, kFieldWidth),
             label("lblFileDesc", "Description", 5.2),
             text("txtFileDesc", 5.2, 6, kFieldLeft, kFieldWidth, 2),
             label("lblFileType", "File type", 7.2),
             text("txtFileType", 7.2, 7, kFieldLeft, kHalfWidth),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kOverviewFields[] = {
    {.control = "txtFileName", .path = "bgFileName", .required = true},
    {.control = "txtFileDesc", .path = "bgFileDesc"},
    {.control = "txtFileType", .path = "bgFileType"},
};
constexpr std::string_view kOverviewCaption[] = {"txtFileName"};
constexpr Repeat kOverviewLists[] = {{.list = "lstOverviews",
                                      .path = "dataIdInfo/graphOver",
                                      .fields = kOverviewFields,
                                      .caption = kOverviewCaption,
                                      .entry_name = "Overview",
                                      .add = "cmdAdd",
                                      .remove = "cmdRemove",
                                      .up = "cmdUp",
                                      .down = "cmdDown"}};

// ---- Constraints

constexpr auto kConstraintControls =
    join(to_array<ControlSpec>({
             intro("Legal and security constraints on the resource"),
             label("lblLegal", "Legal constraints", 0, kLabelLeft, kFullWidth),
             list_box("lstLegal", 0.7, 4, 0),
             label("lblUseLimit", "Limitations of use (one a line)", 4.9),
             text("txtUseLimit", 4.9, 5, kFieldLeft, kFieldWidth, 2),
             label("lblAccess", "Access constraints (one a line)", 6.9),
             text("txtAccess", 6.9, 6, kFieldLeft, kFieldWidth, 1.6),
             label("lblUse", "Use constraints (one a line)", 8.5),
             text("txtUse", 8.5, 7, kFieldLeft, kFieldWidth, 1.6),
             label("lblOther", "Other constraints (one a line)", 10.1),
             text("txtOther", 10.1, 8, kFieldLeft, kFieldWidth, 2.4),
             frame("frmSecurity", "Security constraints", 12.7, 4.6),
             label("lblClass", "Classification", 13.4),
             combo("cmbClass", 13.4, 9),
             label("lblClassSys", "Classification system", 14.4),
             text("txtClassSys", 14.4, 10),
             label("lblUserNote", "Note to the user", 15.4),
             text("txtUserNote", 15.4, 11),
             label("lblHandling", "Handling", 16.4),
             text("txtHandling", 16.4, 12),
         }),
         list_buttons("cmdAddLegal", "cmdRemoveLegal", "cmdLegalUp", "cmdLegalDown", 0.7, 1));
constexpr Field kConstraintFields[] = {
    {.control = "cmbClass",
     .path = "dataIdInfo/SecConsts/secClass/ClasscationCd",
     .kind = FieldKind::WordsAt,
     .words = &kClassifications},
    {.control = "txtClassSys", .path = "dataIdInfo/SecConsts/secClassSys"},
    {.control = "txtUserNote", .path = "dataIdInfo/SecConsts/secUserNote"},
    {.control = "txtHandling", .path = "dataIdInfo/SecConsts/secHandDesc"},
};
constexpr Field kLegalFields[] = {
    {.control = "txtUseLimit", .path = "useLimit", .kind = FieldKind::Lines},
    {.control = "txtAccess",
     .path = "accessConsts",
     .kind = FieldKind::Lines,
     .words = &kRestrictions,
     .sub = "RestrictCd",
     .attribute = "value"},
    {.control = "txtUse",
     .path = "useConsts",
     .kind = FieldKind::Lines,
     .words = &kRestrictions,
     .sub = "RestrictCd",
     .attribute = "value"},
    {.control = "txtOther", .path = "othConsts", .kind = FieldKind::Lines},
};
constexpr std::string_view kLegalCaption[] = {"txtOther", "txtUseLimit", "txtAccess"};
constexpr Repeat kConstraintLists[] = {{.list = "lstLegal",
                                        .path = "dataIdInfo/LegConsts",
                                        .fields = kLegalFields,
                                        .caption = kLegalCaption,
                                        .entry_name = "Legal constraints",
                                        .add = "cmdAddLegal",
                                        .remove = "cmdRemoveLegal",
                                        .up = "cmdLegalUp",
                                        .down = "cmdLegalDown"}};

// ---- Associated resources

constexpr auto kAggregateControls = join(
    to_array<ControlSpec>({
        intro("Other resources this one belongs to or draws on: series, larger works, sources"),
        list_box("lstAggregates", 0, 4, 0),
        label("lblAggTitle", "Title", 4.2),
        text("txtAggTitle", 4.2, 5),
        label("lblAggDate", "Date", 5.2),
        text("txtAggDate", 5.2, 6, kFieldLeft, kHalfWidth, 1, "date"),
        label("lblAggDateType", "Date type", 5.2, kSecondLabel, kSecondLabelWidth),
        combo("cmbAggDateType", 5.2, 7, kSecondField, kSecondFieldWidth),
        label("lblAggCode", "Identifier", 6.2),
        text("txtAggCode", 6.2, 8, kFieldLeft, kHalfWidth),
        label("lblAggSpace", "Code space", 6.2, kSecondLabel, kSecondLabelWidth),
        text("txtAggSpace", 6.2, 9, kSecondField, kSecondFieldWidth),
        label("lblAssoc", "How it is associated", 7.2),
        combo("cmbAssoc", 7.2, 10),
        label("lblInit", "Initiative it belongs to", 8.2),
        combo("cmbInit", 8.2, 11),
    }),
    list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kAggregateFields[] = {
    {.control = "txtAggTitle", .path = "aggrDSName/resTitle"},
    {.control = "txtAggDate", .path = "aggrDSName/resRefDate/refDate"},
    {.control = "cmbAggDateType",
     .path = "aggrDSName/resRefDate/refDateType/DateTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kDateTypes},
    {.control = "txtAggCode", .path = "aggrDSIdent/identCode"},
    {.control = "txtAggSpace", .path = "aggrDSIdent/idCodeSpace"},
    {.control = "cmbAssoc",
     .path = "assocType/AscTypeCd",
     .kind = FieldKind::WordsAt,
     .words = &kAssociations,
     .required = true},
    {.control = "cmbInit",
     .path = "initType/InitTypCd",
     .kind = FieldKind::WordsAt,
     .words = &kInitiatives},
};
constexpr std::string_view kAggregateCaption[] = {"txtAggTitle", "txtAggCode", "cmbAssoc"};
// ISO: the resource is named or identified.
constexpr std::string_view kAggregateEither[] = {"txtAggTitle", "txtAggCode"};
constexpr Repeat kAggregateLists[] = {{.list = "lstAggregates",
                                       .path = "dataIdInfo/aggrInfo",
                                       .fields = kAggregateFields,
                                       .caption = kAggregateCaption,
                                       .entry_name = "Resource",
                                       .add = "cmdAdd",
                                       .remove = "cmdRemove",
                                       .up = "cmdUp",
                                       .down = "cmdDown",
                                       .one_of = kAggregateEither}};

}  // namespace

extern const PageData kCitationPage;
constexpr PageData kCitationPage =
    host_page("Citation", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A01}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A02}"), "Citation", kCitationControls,
              kCitationFields, kCitationLists);
extern const PageData kDescriptionPage;
constexpr PageData kDescriptionPage =
    host_page("Description", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A03}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A04}"), "Description",
              kDescriptionControls, kDescriptionFields);
extern const PageData kKeywordsPage;
constexpr PageData kKeywordsPage =
    host_page("Keywords", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A05}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A06}"), "Keywords", kKeywordControls, {},
              kKeywordLists);
extern const PageData kTopicCategoriesPage;
constexpr PageData kTopicCategoriesPage =
    host_page("TopicCategories", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A07}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A08}"), "Topic categories",
              kTopicControls, kTopicFields);
extern const PageData kPointsOfContactPage;
constexpr PageData kPointsOfContactPage =
    host_page("PointsOfContact", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A09}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0A}"), "Points of contact",
              kPartyControls, {}, kPointsOfContact);
extern const PageData kCitedPartiesPage;
constexpr PageData kCitedPartiesPage =
    host_page("CitedParties", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0B}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0C}"), "Cited responsible parties",
              kPartyControls, {}, kCitedParties);
extern const PageData kMetadataInfoPage;
constexpr PageData kMetadataInfoPage =
    host_page("MetadataInfo", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0D}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0E}"), "Metadata record",
              kMetadataInfoControls, kMetadataInfoFields, kLocaleLists);
extern const PageData kMetadataContactsPage;
constexpr PageData kMetadataContactsPage =
    host_page("MetadataContacts", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A0F}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A10}"), "Metadata contacts",
              kPartyControls, {}, kMetadataContacts);
extern const PageData kMaintenancePage;
constexpr PageData kMaintenancePage =
    host_page("Maintenance", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A11}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A12}"), "Maintenance",
              kMaintenanceControls, kMaintenanceFields);
extern const PageData kGraphicOverviewsPage;
constexpr PageData kGraphicOverviewsPage =
    host_page("GraphicOverviews", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A13}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A14}"), "Graphic overviews",
              kOverviewControls, {}, kOverviewLists);
extern const PageData kResourceConstraintsPage;
constexpr PageData kResourceConstraintsPage =
    host_page("ResourceConstraints", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A15}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A16}"), "Resource constraints",
              kConstraintControls, kConstraintFields, kConstraintLists);

extern const PageData kAssociatedResourcesPage;
constexpr PageData kAssociatedResourcesPage =
    host_page("AssociatedResources", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A17}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A18}"), "Associated resources",
              kAggregateControls, {}, kAggregateLists);

}  // namespace tw::hostpages
