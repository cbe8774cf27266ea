// The host's own pages on the host's document: what each shows of a whole
// record, what a user's edits of lists and fields write (and only that),
// and when each page counts as completed.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "pages.h"
#include "support/files.h"
#include "tidewise/host/document.h"
#include "tidewise/host/reference_systems.h"
#include "tidewise/host/session.h"

namespace tw::hostpages {
namespace {

namespace fs = std::filesystem;
using com::ComPtr;
using com::Variant;
using host::Edit;
using host::XmlMetadataDocument;
using K = Edit::Kind;

const fs::path kRecord =
    fs::path(TIDEWISE_SOURCE_DIR) / "tests" / "data" / "hostpages" / "full-record.xml";

// A host page on a document, driven as the host drives it.
struct HostPage {
  ComPtr<host::IMetaDataPage> page;
  forms::Form* form = nullptr;

  explicit HostPage(std::string_view class_name) {
    for (const com::ClassEntry& entry : kModule.classes) {
      if (entry.name == class_name) page = entry.create().as<host::IMetaDataPage>();
    }
    if (!page) throw std::invalid_argument("no host page class " + std::string(class_name));
    const auto control = page.as<forms::IUserControl>();
    EXPECT_EQ(control->GetForm(&form), com::S_OK);
  }
  void load(XmlMetadataDocument& document) {
    ASSERT_EQ(page->LoadPage(&document, nullptr, ""), com::S_OK) << error();
  }
  bool unload(XmlMetadataDocument& document) {
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(page->UnloadPage(&document, nullptr, &result), com::S_OK) << error();
    return com::from_variant_bool(result);
  }
  bool completed() {
    com::VARIANT_BOOL value = 7;
    EXPECT_EQ(page->get_Completed(&value), com::S_OK);
    return com::from_variant_bool(value);
  }
  void edit(const std::vector<Edit>& edits) {
    host::validate_edits(*form, edits);
    for (const Edit& edit : edits) host::apply_edit(*form, edit);
  }
  static std::string error() {
    const auto info = com::GetErrorInfo();
    return info ? info->description : "";
  }
};

class HostPages : public ::testing::Test {
 public:
  HostPages() { document->load_file(kRecord); }
  XmlMetadataDocument& doc() { return *document.get(); }

  // Every value at the path, "" for none; with `attribute`, that attribute's.
  std::vector<std::string> values(const std::string& path, const std::string& attribute = {}) {
    Variant found;
    const com::HRESULT hr = attribute.empty() ? document->ReadValues(path, &found)
                                              : document->ReadAttribute(path, attribute, &found);
    EXPECT_EQ(hr, com::S_OK) << path;
    std::vector<std::string> texts;
    if (const com::SafeArray* array = found.as_array()) {
      for (const Variant& value : array->elements) texts.push_back(*value.as_string());
    }
    return texts;
  }

  test::TempHome home;  // the registry the reference system page's lookup is found in
  host::ComponentHost components;
  ComPtr<XmlMetadataDocument> document = com::make_object<XmlMetadataDocument>();
};

TEST_F(HostPages, EveryPageLoadsAWholeRecordAndLeavesItAsItWas) {
  const std::string before = document->xml();
  for (const com::ClassEntry& entry : kModule.classes) {
    HostPage page(entry.name);
    page.load(doc());
    EXPECT_FALSE(page.unload(doc())) << entry.name << ": nothing was changed";
    EXPECT_TRUE(page.completed()) << entry.name;
  }
  EXPECT_EQ(document->xml(), before);
  EXPECT_FALSE(document->modified());
}

TEST_F(HostPages, ShowEveryValueInWordsAndTheSelectedEntrysFields) {
  const struct {
    std::string_view page, control, shown;
  } cases[] = {
      {"Citation", "txtTitle", "Tides of the bay"},
      {"Citation", "txtAltTitles", "Bay tides\nTides"},
      {"Citation", "lstDates", "2023-01-01 \u2014 Creation|2023-06-01 \u2014 Publication"},
      {"Citation", "cmbDateType", "Creation"},
      {"Citation", "lstIds", "tw \u2014 T-1|T-2 \u2014 3"},
      {"Citation", "txtIssue", "7"},
      {"Description", "txtCredit", "Crew A\nCrew B"},
      {"Keywords", "lstSets", "Theme \u2014 GEMET|Place"},
      {"Keywords", "lstKeywords", "tides|bay"},
      {"Keywords", "txtLink", "https://example.org/k1"},
      {"Keywords", "txtThesLink", "https://example.org/t"},
      {"Keywords", "cmbThesDateType", "Publication"},
      {"TopicCategories", "lstTopics", "Biota|Oceans"},  // checked ones; "042" stays unseen
      {"PointsOfContact", "lstParties", "Ann \u2014 Point of contact|Lab \u2014 Owner"},
      {"PointsOfContact", "txtVoice", "1\n2"},
      {"PointsOfContact", "txtEmail", "ann@example.org\ndesk@example.org"},
      {"PointsOfContact", "txtOnProtocol", "WWW:LINK"},
      {"PointsOfContact", "cmbOnFunction", "Information"},
      {"CitedParties", "cmbRole", "Publisher"},
      {"MetadataContacts", "lstParties",
       "Archive \u2014 Point of contact|Second Contact \u2014 099"},
      {"MetadataInfo", "cmbLang", "eng \u2014 English"},
      {"MetadataInfo", "lstLocales", "fra \u2014 French \u2014 FR \u2014 locale-fr"},
      {"MetadataInfo", "cmbLocChar", "UTF-8"},
      {"AssociatedResources", "lstAggregates",
       "Coastal series \u2014 CS-1 \u2014 Larger work citation"},
      {"AssociatedResources", "cmbInit", "Project"},
      {"MetadataInfo", "cmbChar", "UTF-8"},
      {"MetadataInfo", "cmbLevel", "Dataset"},
      {"Maintenance", "cmbFreq", "Daily"},
      {"Maintenance", "cmbMdFreq", "Annually"},
      {"GraphicOverviews", "lstOverviews", "a.png|b.png"},
      {"ResourceConstraints", "txtAccess", "Other restrictions"},
      {"ResourceConstraints", "cmbClass", "Unclassified"},
      {"ServiceIdentification", "cmbCoupling", "Tight"},
      {"ServiceIdentification", "txtDCP", "WebServices"},
      {"ServiceIdentification", "txtOnUuid", "u-1"},
      {"ServiceIdentification", "txtFees", "None"},
      {"Resolution", "lstResolutions", "25000|10 \u2014 m"},
      {"DataLanguages", "txtLangs", "eng \u2014 English\nfra \u2014 French\nger \u2014 German"},
      {"FeatureCatalogues", "lstCatalogues", "Tide features \u2014 fc-1"},
      {"FeatureCatalogues", "txtFeatTypes", "Buoy\nGauge"},
      {"FeatureCatalogues", "txtCatLangs", "eng \u2014 English"},
      {"FeatureCatalogues", "optIncluded", "selected"},
      {"FeatureCatalogues", "optNotIncluded", ""},
      // Of several kinds, listed kind by kind; a range dimension is no band.
      {"Coverages", "lstCoverages",
       "Coverage \u2014 depth \u2014 Physical measurement|Image \u2014 reflectance \u2014 Image"},
      {"Coverages", "lstBands", ""},
      {"Acquisition", "lstPlatforms", "LANDSAT_8 \u2014 Landsat 8"},
      {"Acquisition", "lstInstruments", "OLI_TIRS \u2014 INS-NOBS"},
      {"Acquisition", "lstOther", "GPS-1 \u2014 receiver"},
      {"DataQuality", "lstSections", "Dataset|Series"},
      {"DataQuality", "lstReports",
       "Domain consistency \u2014 Conformity|Completeness: omission \u2014 Missing points"},
      {"DataQuality", "lstResults", "INSPIRE \u2014 2010-12-08|GEMINI"},
      {"DataQuality", "cmbSpecDateType", "Publication"},
      {"DataQuality", "optPass", "selected"},
      {"DataQuality", "lstQuan", ""},
      {"LineageSources", "txtStatementLink", "https://example.org/lineage"},
      {"LineageSources", "lstSteps", "2023-02-01T10:00:00 \u2014 Gridded"},
      {"LineageSources", "txtStepProc", "Lab"},
      {"LineageSources", "lstSources", "Echo soundings"},
      {"LineageSources", "txtSrcScale", "10000"},
      {"BoundingBoxes", "lstExtents", "The bay|The harbour"},
      {"BoundingBoxes", "lstBoxes",
       "-5 \u2014 -4 \u2014 50 \u2014 51|170 \u2014 -170 \u2014 -10 \u2014 10"},
      {"BoundingBoxes", "mapBoxes", "-5 -4 50 51|170 -170 -10 10"},
      {"BoundingPolygons", "txtExterior", "50 -5 51 -5 51 -4 50 -5"},
      {"TemporalExtents", "cmbEndOpen", "now"},
      {"VerticalExtents", "txtUnit", "m"},
      {"ReferenceSystems", "lstSystems", "EPSG \u2014 4326|urn:ogc:def:crs:EPSG::27700"},
      {"Formats", "lstFormats", "GeoPackage \u2014 1.3|CSV \u2014 unknown"},
      {"Distributors", "lstDistributors", "Data Archive \u2014 Distributor"},
      {"Distributors", "txtDelPoint", "1 Quay"},
      {"Distributors", "lstOrders", "Free \u2014 Ask"},
      {"DistributorOffers", "lstDistributors", "Data Archive"},
      {"DistributorOffers", "lstLinks", "https://example.org/get"},
      {"DistributorOffers", "cmbFunction", "Download"},
      {"OnlineResources", "lstLinks", "A \u2014 https://example.org/a|https://example.org/b"},
  };
  for (const auto& c : cases) {
    HostPage page(c.page);
    page.load(doc());
    const forms::Control& control = page.form->get(c.control);
    std::string shown;
    if (control.kind() == forms::Kind::ListBox || control.kind() == forms::Kind::Map) {
      for (std::size_t i = 0; i < control.items().size(); ++i) {
        if (control.check_marks() && !control.checked(i)) continue;
        shown += (shown.empty() ? "" : "|") + control.items()[i];
      }
    } else if (control.kind() == forms::Kind::OptionButton) {
      shown = control.value() != 0 ? "selected" : "";
    } else {
      shown = control.text();
    }
    EXPECT_EQ(shown, c.shown) << c.page << " " << c.control;
  }
}

// Each case: a page, the user's edits, and what the document then holds.
struct EditCase {
  std::string_view name, page;
  std::vector<Edit> edits;
  std::function<void(HostPages&)> check;
};

TEST_F(HostPages, EditsOfListsAndFieldsWriteWhatTheUserDidAndKeepTheRest) {
  const auto expect = [](HostPages& t, const std::string& path,
                         const std::vector<std::string>& wanted,
                         const std::string& attribute = {}) {
    EXPECT_EQ(t.values(path, attribute), wanted)
        << path << (attribute.empty() ? "" : "@") << attribute;
  };
  const EditCase cases[] = {
      {"a keyword added to the second set, moved up",
       "Keywords",
       {{K::Select, "lstSets", "1"},
        {K::Click, "cmdAddKeyword", ""},
        {K::Type, "txtKeyword", "harbour"},
        {K::Click, "cmdKeywordUp", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/searchKeys[2]/keyword", {"harbour", "Kestrel Bay"});
         expect(t, "dataIdInfo/searchKeys[1]/keyword", {"tides", "bay"});
       }},
      {"a keyword moved keeps its link",
       "Keywords",
       {{K::Select, "lstKeywords", "1"}, {K::Click, "cmdKeywordUp", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/searchKeys[1]/keyword", {"bay", "tides"});
         expect(t, "dataIdInfo/searchKeys[1]/keyword[2]", {"https://example.org/k1"}, "href");
       }},
      {"the first set removed",
       "Keywords",
       {{K::Click, "cmdRemoveSet", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/searchKeys/keyword", {"Kestrel Bay"});
         expect(t, "dataIdInfo/searchKeys/keyTyp/KeyTypCd", {"002"}, "value");
       }},
      {"a set written from nothing, and an empty one that makes nothing",
       "Keywords",
       {{K::Click, "cmdAddSet", ""},
        {K::Pick, "cmbType", "Theme"},
        {K::Type, "txtThesaurus", "Tidewise themes"},
        {K::Click, "cmdAddKeyword", ""},
        {K::Type, "txtKeyword", "erosion"},
        {K::Type, "txtLink", "https://example.org/erosion"},
        {K::Click, "cmdAddSet", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/searchKeys[3]/keyword", {"erosion"});
         expect(t, "dataIdInfo/searchKeys[3]/keyword", {"https://example.org/erosion"}, "href");
         expect(t, "dataIdInfo/searchKeys[3]/keyTyp/KeyTypCd", {"005"}, "value");
         expect(t, "dataIdInfo/searchKeys[3]/thesaName/resTitle", {"Tidewise themes"});
         EXPECT_EQ(t.values("dataIdInfo/searchKeys").size(), 3u);
       }},
      {"a line changed: the unchanged line keeps its link",
       "Citation",
       {{K::Type, "txtAltTitles", "Tides\nHarbour tides"}, {K::Type, "txtTitle", "Tides"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/idCitation/resAltTitle", {"Tides", "Harbour tides"});
         expect(t, "dataIdInfo/idCitation/resAltTitle", {"https://example.org/alt"}, "href");
         expect(t, "dataIdInfo/idCitation/resTitle", {"Tides"});
       }},
      {"a date type in words stored as its code",
       "Citation",
       {{K::Select, "lstDates", "1"}, {K::Pick, "cmbDateType", "Revision"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/idCitation/resRefDate/refDateType/DateTypCd", {"001", "003"},
                "value");
       }},
      {"a role kept as ISO's name",
       "PointsOfContact",
       {{K::Select, "lstParties", "1"}, {K::Pick, "cmbRole", "Custodian"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/idPoC/role", {"pointOfContact", "custodian"});
       }},
      {"a phone line added to the first party",
       "PointsOfContact",
       {{K::Type, "txtVoice", "1\n2\n3"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/idPoC[1]/rpCntInfo/cntPhone/voiceNum", {"1", "2", "3"});
       }},
      {"a code outside the list stays until the user picks one",
       "MetadataContacts",
       {{K::Select, "lstParties", "1"}, {K::Type, "txtIndName", "Renamed"}},
       [&](HostPages& t) {
         expect(t, "mdContact/role/RoleCd", {"007", "099"}, "value");
         expect(t, "mdContact/rpIndName", {"Renamed"});
       }},
      {"topic categories: the unknown code kept, one unticked, one ticked",
       "TopicCategories",
       {{K::Uncheck, "lstTopics", "Oceans"}, {K::Check, "lstTopics", "Health"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/tpCat/TopicCatCd", {"042", "002", "009"}, "value");
       }},
      {"a box removed: the other box takes the first box's place, the polygon keeps its own",
       "BoundingBoxes",
       {{K::Select, "lstBoxes", "0"}, {K::Click, "cmdRemove", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/dataExt[1]/geoEle[1]/GeoBndBox/westBL", {"170"});
         EXPECT_EQ(t.values("dataIdInfo/dataExt[1]/geoEle").size(), 2u);
         expect(t, "dataIdInfo/dataExt[1]/geoEle[2]/BoundPoly/polygon/exterior",
                {"50 -5 51 -5 51 -4 50 -5"});
       }},
      {"boxes swap places around the polygon",
       "BoundingBoxes",
       {{K::Select, "lstBoxes", "1"}, {K::Click, "cmdUp", ""}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/dataExt[1]/geoEle/GeoBndBox/westBL", {"170", "-5"});
         expect(t, "dataIdInfo/dataExt[1]/geoEle[2]/BoundPoly/polygon/exterior",
                {"50 -5 51 -5 51 -4 50 -5"});
       }},
      {"a box drawn in the second extent",
       "BoundingBoxes",
       {{K::Select, "lstExtents", "1"},
        {K::Click, "cmdAdd", ""},
        {K::Type, "txtWest", "1"},
        {K::Type, "txtEast", "2"},
        {K::Type, "txtSouth", "3"},
        {K::Type, "txtNorth", "4"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/dataExt[2]/geoEle/GeoBndBox/northBL", {"4"});
         expect(t, "dataIdInfo/dataExt[1]/geoEle/GeoBndBox/northBL", {"51", "10"});
       }},
      {"languages typed as codes, names or both; one given as text stays text",
       "DataLanguages",
       {{K::Type, "txtLangs", "eng\nger \u2014 German\nDutch\nklingon"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/dataLang/languageCode", {"eng", "dut", "klingon"}, "value");
         expect(t, "dataIdInfo/dataLang[2]", {"ger"});
       }},
      {"a locale added",
       "MetadataInfo",
       {{K::Click, "cmdAddLocale", ""},
        {K::Pick, "cmbLocLang", "deu \u2014 German"},
        {K::Type, "cmbLocChar", "UTF-8"},
        {K::Type, "txtLocId", "locale-de"}},
       [&](HostPages& t) {
         expect(t, "mdLocale", {"locale-fr", "locale-de"}, "id");
         expect(t, "mdLocale/locLang/languageCode", {"fra", "deu"}, "value");
         expect(t, "mdLocale/locEnc", {"utf8", "utf8"});
       }},
      {"a second e-mail address replaced, the online resource's protocol changed",
       "PointsOfContact",
       {{K::Type, "txtEmail", "ann@example.org\nsea@example.org"},
        {K::Type, "txtOnProtocol", "OGC:WMS"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/idPoC[1]/rpCntInfo/cntAddress/eMailAdd",
                {"ann@example.org", "sea@example.org"});
         expect(t, "dataIdInfo/idPoC[1]/rpCntInfo/cntOnlineRes/protocol", {"OGC:WMS"});
         expect(t, "dataIdInfo/idPoC[1]/rpCntInfo/cntOnlineRes/orFunct/OnFunctCd", {"002"},
                "value");
       }},
      {"a distance's unit and number written as one measure, and a new one",
       "Resolution",
       {{K::Select, "lstResolutions", "1"},
        {K::Type, "txtUnit", "km"},
        {K::Type, "txtDistance", "2.5"},
        {K::Click, "cmdAdd", ""},
        {K::Type, "txtUnit", "m"},
        {K::Type, "txtDistance", "30"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/dataScale/scaleDist", {"2.5 km", "30 m"});
       }},
      {"a report of another kind added to the first section, with a result that passes",
       "DataQuality",
       {{K::Click, "cmdAddReport", ""},
        {K::Pick, "cmbKind", "Temporal validity"},
        {K::Type, "txtMeasName", "Dates checked"},
        {K::Click, "cmdAddResult", ""},
        {K::Type, "txtSpec", "Date rules"},
        {K::Type, "txtExplain", "All dates valid"},
        {K::Choose, "optPass", ""}},
       [&](HostPages& t) {
         expect(t, "dqInfo[1]/DQTempValid/measName", {"Dates checked"});
         expect(t, "dqInfo[1]/DQTempValid/ConResult/conSpec/resTitle", {"Date rules"});
         expect(t, "dqInfo[1]/DQTempValid/ConResult/conPass", {"true"});
         expect(t, "dqInfo[1]/DQDomConsis/measName", {"Conformity"});
         expect(t, "dqInfo[2]/DQTempValid", {});
       }},
      {"the second result fails, then passes the other way round",
       "DataQuality",
       {{K::Select, "lstResults", "1"},
        {K::Choose, "optPass", ""},
        {K::Select, "lstResults", "0"},
        {K::Choose, "optFail", ""}},
       [&](HostPages& t) {
         expect(t, "dqInfo[1]/DQDomConsis/ConResult/conPass", {"false", "true"});
         expect(t, "dqInfo[2]/DQDomConsis/ConResult/conPass", {"true"});
       }},
      {"a report removed from the second section, one moved in the first keeps its kind",
       "DataQuality",
       {{K::Select, "lstReports", "1"},
        {K::Click, "cmdReportUp", ""},
        {K::Select, "lstSections", "1"},
        {K::Click, "cmdRemoveReport", ""}},
       [&](HostPages& t) {
         expect(t, "dqInfo[1]/DQCompOm/measName", {"Missing points"});
         expect(t, "dqInfo[1]/DQDomConsis/measName", {"Conformity"});
         EXPECT_TRUE(t.values("dqInfo[2]/DQDomConsis").empty());
         expect(t, "dqInfo[2]/dqScope/scpLvl/ScopeCd", {"006"}, "value");
       }},
      {"an image added: its own fields open once it is an image",
       "Coverages",
       {{K::Click, "cmdAdd", ""},
        {K::Type, "txtAttDesc", "radiance"},
        {K::Pick, "cmbKind", "Image"},
        {K::Type, "txtCloud", "5"},
        {K::Click, "cmdAddBand", ""},
        {K::Type, "txtBandId", "B2"},
        {K::Type, "txtUnits", "nm"}},
       [&](HostPages& t) {
         expect(t, "ImgDesc[2]/attDesc", {"radiance"});
         expect(t, "ImgDesc[2]/cloudCovPer", {"5"});
         expect(t, "ImgDesc[2]/covDim/Band", {"B2"}, "id");
         expect(t, "ImgDesc[2]/covDim/Band/valUnit/uomName", {"nm"});
         expect(t, "CovDesc/attDesc", {"depth"});
       }},
      {"a band's unit, the range dimension beside it kept",
       "Coverages",
       {{K::Select, "lstCoverages", "1"}, {K::Type, "txtUnits", "um"}},
       [&](HostPages& t) {
         expect(t, "ImgDesc/covDim[1]/Band/valUnit/uomName", {"um"});
         expect(t, "ImgDesc/covDim[2]/RangeDim/dimDescrp", {"not a band"});
       }},
      {"an instrument added to the platform",
       "Acquisition",
       {{K::Click, "cmdAddInstrument", ""},
        {K::Type, "txtInstId", "TIRS-2"},
        {K::Type, "txtInstType", "thermal"}},
       [&](HostPages& t) {
         expect(t, "acqInfo/acqPlat/platInstru/instId/identCode", {"OLI_TIRS", "TIRS-2"});
         expect(t, "acqInfo/acqInstru/instType", {"receiver"});
       }},
      {"a process step dated, a source cited",
       "LineageSources",
       {{K::Type, "txtStepDate", "2023-03-01"}, {K::Type, "txtSrcTitle", "Admiralty chart 1234"}},
       [&](HostPages& t) {
         expect(t, "dqInfo[1]/dataLineage/prcStep/stepDateTm", {"2023-03-01"});
         expect(t, "dqInfo[1]/dataLineage/dataSource/srcCitatn/resTitle", {"Admiralty chart 1234"});
       }},
      {"a distributor's address and an order process",
       "Distributors",
       {{K::Type, "txtCity", "Port"},
        {K::Click, "cmdAddOrder", ""},
        {K::Type, "txtFees", "10 EUR"}},
       [&](HostPages& t) {
         expect(t, "distInfo/distributor/distorCont/rpCntInfo/cntAddress/city", {"Port"});
         expect(t, "distInfo/distributor/distorCont/rpCntInfo/cntAddress/delPoint", {"1 Quay"});
         expect(t, "distInfo/distributor/distorOrdPrc/resFees", {"Free", "10 EUR"});
       }},
      {"the function of the second link of a transfer option",
       "OnlineResources",
       {{K::Select, "lstLinks", "1"}, {K::Pick, "cmbFunction", "Order"}},
       [&](HostPages& t) {
         expect(t, "distInfo/distTranOps/onLineSrc/orFunct/OnFunctCd", {"004"}, "value");
         expect(t, "distInfo/distTranOps/onLineSrc/linkage",
                {"https://example.org/a", "https://example.org/b"});
       }},
      {"a link added three lists down",
       "DistributorOffers",
       {{K::Click, "cmdAddLink", ""}, {K::Type, "txtLinkage", "https://example.org/wcs"}},
       [&](HostPages& t) {
         expect(t, "distInfo/distributor/distorTran/onLineSrc/linkage",
                {"https://example.org/get", "https://example.org/wcs"});
       }},
      {"the second legal constraints",
       "ResourceConstraints",
       {{K::Select, "lstLegal", "1"}, {K::Type, "txtOther", "Licence: CC BY 4.0"}},
       [&](HostPages& t) {
         expect(t, "dataIdInfo/LegConsts[2]/othConsts", {"Licence: CC BY 4.0"});
         expect(t, "dataIdInfo/LegConsts/useLimit", {"Not for navigation", "Cite the source"});
       }},
  };
  const std::string original = document->xml();
  for (const EditCase& c : cases) {
    document->load_text(original);
    HostPage page(c.page);
    page.load(doc());
    page.edit(c.edits);
    EXPECT_TRUE(page.unload(doc())) << c.name;
    c.check(*this);
    // Written once: leaving again writes nothing more.
    const std::string written = document->xml();
    EXPECT_TRUE(page.unload(doc())) << c.name;
    EXPECT_EQ(document->xml(), written) << c.name << ": a second unload changed the document";
    // And loading it again shows what was left.
    HostPage again(c.page);
    again.load(doc());
    EXPECT_FALSE(again.unload(doc())) << c.name;
  }
}

TEST_F(HostPages, CompletedFollowsWhatIsoRequires) {
  const struct {
    std::string_view page;
    std::string record;
    bool completed;
  } cases[] = {
      {"Citation", "<metadata/>", false},
      {"Citation",
       "<metadata><dataIdInfo><idCitation><resTitle>T</resTitle>"
       "</idCitation></dataIdInfo></metadata>",
       false},  // no date
      {"Citation",
       "<metadata><dataIdInfo><idCitation><resTitle>T</resTitle><resRefDate>"
       "<refDate>2024</refDate></resRefDate></idCitation></dataIdInfo></metadata>",
       false},  // a date without its type
      {"Citation",
       "<metadata><dataIdInfo><idCitation><resTitle>T</resTitle><resRefDate>"
       "<refDate>2024</refDate><refDateType><DateTypCd value=\"001\"/></refDateType>"
       "</resRefDate></idCitation></dataIdInfo></metadata>",
       true},
      {"Description", "<metadata/>", false},
      {"Keywords", "<metadata/>", true},
      {"Keywords",
       "<metadata><dataIdInfo><searchKeys><keyTyp/></searchKeys></dataIdInfo>"
       "</metadata>",
       false},  // a set without a keyword
      {"MetadataContacts", "<metadata/>", false},
      {"MetadataContacts",
       "<metadata><mdContact><role><RoleCd value=\"007\"/></role>"
       "</mdContact></metadata>",
       false},  // nobody named
      {"PointsOfContact", "<metadata/>", true},
      {"BoundingBoxes",
       "<metadata><dataIdInfo><dataExt><geoEle><GeoBndBox><westBL>1</westBL>"
       "<eastBL>2</eastBL><southBL>3</southBL></GeoBndBox></geoEle></dataExt>"
       "</dataIdInfo></metadata>",
       false},
      {"DataLanguages", "<metadata/>", false},
      {"Resolution", "<metadata><dataIdInfo><dataScale/></dataIdInfo></metadata>", false},
      {"DataQuality",
       "<metadata><dqInfo><dqScope><scpLvl><ScopeCd value=\"005\"/></scpLvl></dqScope>"
       "<DQDomConsis><ConResult><conSpec><resTitle>S</resTitle></conSpec><conExpl>E</conExpl>"
       "</ConResult></DQDomConsis></dqInfo></metadata>",
       false},  // a result that neither passes nor fails
      {"Acquisition",
       "<metadata><acqInfo><acqPlat><platId><identCode>P</identCode></platId>"
       "<platDesc>D</platDesc></acqPlat></acqInfo></metadata>",
       false},  // a platform without an instrument
      {"Coverages", "<metadata><CovDesc><attDesc>a</attDesc></CovDesc></metadata>", false},
  };
  for (const auto& c : cases) {
    document->load_text(c.record);
    HostPage page(c.page);
    page.load(doc());
    EXPECT_EQ(page.completed(), c.completed) << c.page << " on " << c.record;
  }
  // The answer follows the user's edits before anything is written.
  document->load_text("<metadata/>");
  HostPage description("Description");
  description.load(doc());
  description.edit({{K::Type, "txtAbstract", "What it is"}});
  EXPECT_TRUE(description.completed());
}

TEST_F(HostPages, ListButtonsAreEnabledOnlyWhereTheyCanAct) {
  HostPage page("Keywords");
  page.load(doc());
  const auto enabled = [&](std::string_view name) { return page.form->get(name).enabled(); };
  EXPECT_FALSE(enabled("cmdSetUp"));  // the first is selected
  EXPECT_TRUE(enabled("cmdSetDown"));
  page.edit({{K::Select, "lstSets", "1"}});
  EXPECT_TRUE(enabled("cmdSetUp"));
  EXPECT_FALSE(enabled("cmdSetDown"));
  // The second set's one keyword.
  EXPECT_EQ(page.form->get("lstKeywords").items(), std::vector<std::string>{"Kestrel Bay"});
  page.edit({{K::Click, "cmdRemoveKeyword", ""}});
  EXPECT_FALSE(enabled("txtKeyword")) << "no keyword is left to edit";
  EXPECT_FALSE(enabled("cmdRemoveKeyword"));
  EXPECT_FALSE(page.completed()) << "a set without a keyword";
  EXPECT_THROW(page.edit({{K::Type, "txtKeyword", "x"}}), host::InvalidEdit);
}

TEST_F(HostPages, TheKindOfAnEntryIsChosenOnceAndOpensItsOwnFields) {
  HostPage reports("DataQuality");
  reports.load(doc());
  EXPECT_FALSE(reports.form->get("cmbKind").enabled()) << "a report written keeps its kind";
  reports.edit({{K::Click, "cmdAddReport", ""}});
  EXPECT_TRUE(reports.form->get("cmbKind").enabled());
  EXPECT_EQ(reports.form->get("cmbKind").text(), "Domain consistency");
  // Text that names no kind leaves the kind as it was.
  reports.edit({{K::Type, "cmbKind", "Tidiness"}, {K::Type, "txtMeasName", "x"}});
  EXPECT_TRUE(reports.unload(doc()));
  EXPECT_EQ(values("dqInfo[1]/DQDomConsis/measName"),
            (std::vector<std::string>{"Conformity", "x"}));

  HostPage coverages("Coverages");
  coverages.load(doc());
  EXPECT_FALSE(coverages.form->get("txtCloud").enabled()) << "a coverage has no cloud cover";
  coverages.edit({{K::Select, "lstCoverages", "1"}});
  EXPECT_TRUE(coverages.form->get("txtCloud").enabled());
  EXPECT_EQ(coverages.form->get("txtCloud").text(), "72");
  // An added image that becomes a coverage loses what only an image has.
  coverages.edit({{K::Click, "cmdAdd", ""},
                  {K::Pick, "cmbKind", "Image"},
                  {K::Type, "txtCloud", "9"},
                  {K::Pick, "cmbKind", "Coverage"},
                  {K::Type, "txtAttDesc", "slope"}});
  EXPECT_EQ(coverages.form->get("txtCloud").text(), "");
  EXPECT_TRUE(coverages.unload(doc()));
  EXPECT_EQ(values("CovDesc/attDesc"), (std::vector<std::string>{"depth", "slope"}));
  EXPECT_TRUE(values("CovDesc[2]/cloudCovPer").empty());
}

TEST_F(HostPages, ALanguageGivenAsTextIsShownAndStaysText) {
  for (const auto& [record, language, path] :
       {std::tuple{"<metadata><mdLang>ger</mdLang></metadata>", "ger \u2014 German", "mdLang"},
        std::tuple{"<metadata/>", "", "mdLang/languageCode"}}) {
    document->load_text(record);
    HostPage page("MetadataInfo");
    page.load(doc());
    EXPECT_EQ(page.form->get("cmbLang").text(), language);
    page.edit({{K::Pick, "cmbLang", "fra \u2014 French"}});
    EXPECT_TRUE(page.unload(doc()));
    const std::string attribute = std::string_view(path) == "mdLang" ? "" : "value";
    EXPECT_EQ(values(path, attribute), std::vector<std::string>{"fra"}) << record;
    EXPECT_EQ(values("mdLang/languageCode").size(), attribute.empty() ? 0u : 1u) << record;
  }
}

TEST_F(HostPages, TheReferenceSystemPageFindsCodesAndNamesInTheEpsgRegistry) {
  if (!fs::exists(host::epsg_database())) GTEST_SKIP() << "no EPSG registry (proj-data)";
  HostPage page("ReferenceSystems");
  page.load(doc());
  EXPECT_EQ(page.form->get("lblRegistry").caption(), "EPSG:4326  WGS 84");
  page.edit({{K::Select, "lstSystems", "1"}});
  EXPECT_EQ(page.form->get("lblRegistry").caption(), "EPSG:27700  OSGB36 / British National Grid");
  page.edit({{K::Type, "txtFind", "wgs 84"}, {K::Click, "cmdFind", ""}});
  ASSERT_FALSE(page.form->get("lstFound").items().empty());
  EXPECT_EQ(page.form->get("lstFound").items().front(), "4326  WGS 84");
  page.edit({{K::Select, "lstFound", "0"}});
  EXPECT_EQ(page.form->get("txtCode").text(), "4326");
  EXPECT_TRUE(page.unload(doc()));
  EXPECT_EQ(values("MdCoRefSys/refSysId/identCode"), (std::vector<std::string>{"4326", "4326"}));
  EXPECT_EQ(values("MdCoRefSys/refSysId/idCodeSpace"), (std::vector<std::string>{"EPSG", "EPSG"}));
}

}  // namespace
}  // namespace tw::hostpages
