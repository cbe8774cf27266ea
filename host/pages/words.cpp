#include "words.h"

namespace tw::hostpages {

using pages::Words;

namespace {

constexpr Words kRoleCodeWords[] = {
    {"001", "Resource provider"},
    {"002", "Custodian"},
    {"003", "Owner"},
    {"004", "User"},
    {"005", "Distributor"},
    {"006", "Originator"},
    {"007", "Point of contact"},
    {"008", "Principal investigator"},
    {"009", "Processor"},
    {"010", "Publisher"},
    {"011", "Author"},
};
constexpr Words kRoleNameWords[] = {
    {"resourceProvider", "Resource provider"},
    {"custodian", "Custodian"},
    {"owner", "Owner"},
    {"user", "User"},
    {"distributor", "Distributor"},
    {"originator", "Originator"},
    {"pointOfContact", "Point of contact"},
    {"principalInvestigator", "Principal investigator"},
    {"processor", "Processor"},
    {"publisher", "Publisher"},
    {"author", "Author"},
};
constexpr Words kDateTypeWords[] = {
    {"001", "Creation"}, {"002", "Publication"}, {"003", "Revision"}};
constexpr Words kKeywordTypeWords[] = {{"001", "Discipline"},
                                       {"002", "Place"},
                                       {"003", "Stratum"},
                                       {"004", "Temporal"},
                                       {"005", "Theme"}};
constexpr Words kTopicWords[] = {
    {"001", "Farming"},
    {"002", "Biota"},
    {"003", "Boundaries"},
    {"004", "Climatology, meteorology, atmosphere"},
    {"005", "Economy"},
    {"006", "Elevation"},
    {"007", "Environment"},
    {"008", "Geoscientific information"},
    {"009", "Health"},
    {"010", "Imagery, base maps, earth cover"},
    {"011", "Intelligence, military"},
    {"012", "Inland waters"},
    {"013", "Location"},
    {"014", "Oceans"},
    {"015", "Planning, cadastre"},
    {"016", "Society"},
    {"017", "Structure"},
    {"018", "Transportation"},
    {"019", "Utilities, communication"},
};
constexpr Words kFrequencyWords[] = {
    {"001", "Continual"}, {"002", "Daily"},     {"003", "Weekly"},       {"004", "Fortnightly"},
    {"005", "Monthly"},   {"006", "Quarterly"}, {"007", "Twice a year"}, {"008", "Annually"},
    {"009", "As needed"}, {"010", "Irregular"}, {"011", "Not planned"},  {"012", "Unknown"},
};
constexpr Words kScopeCodeWords[] = {
    {"001", "Attribute"},
    {"002", "Attribute type"},
    {"003", "Collection hardware"},
    {"004", "Collection session"},
    {"005", "Dataset"},
    {"006", "Series"},
    {"007", "Non-geographic dataset"},
    {"008", "Dimension group"},
    {"009", "Feature"},
    {"010", "Feature type"},
    {"011", "Property type"},
    {"012", "Field session"},
    {"013", "Software"},
    {"014", "Service"},
    {"015", "Model"},
    {"016", "Tile"},
};
constexpr Words kScopeNameWords[] = {
    {"attribute", "Attribute"},
    {"attributeType", "Attribute type"},
    {"collectionHardware", "Collection hardware"},
    {"collectionSession", "Collection session"},
    {"dataset", "Dataset"},
    {"series", "Series"},
    {"nonGeographicDataset", "Non-geographic dataset"},
    {"dimensionGroup", "Dimension group"},
    {"feature", "Feature"},
    {"featureType", "Feature type"},
    {"propertyType", "Property type"},
    {"fieldSession", "Field session"},
    {"software", "Software"},
    {"service", "Service"},
    {"model", "Model"},
    {"tile", "Tile"},
};
constexpr Words kFunctionWords[] = {{"001", "Download"},
                                    {"002", "Information"},
                                    {"003", "Offline access"},
                                    {"004", "Order"},
                                    {"005", "Search"}};
constexpr Words kClassificationWords[] = {{"001", "Unclassified"},
                                          {"002", "Restricted"},
                                          {"003", "Confidential"},
                                          {"004", "Secret"},
                                          {"005", "Top secret"}};
constexpr Words kCharacterSetWords[] = {
    {"ucs2", "UCS-2"},
    {"ucs4", "UCS-4"},
    {"utf7", "UTF-7"},
    {"utf8", "UTF-8"},
    {"utf16", "UTF-16"},
    {"8859part1", "ISO 8859-1 (Latin-1, Western European)"},
    {"8859part2", "ISO 8859-2 (Latin-2, Central European)"},
    {"8859part3", "ISO 8859-3 (Latin-3, South European)"},
    {"8859part4", "ISO 8859-4 (Latin-4, North European)"},
    {"8859part5", "ISO 8859-5 (Cyrillic)"},
    {"8859part6", "ISO 8859-6 (Arabic)"},
    {"8859part7", "ISO 8859-7 (Greek)"},
    {"8859part8", "ISO 8859-8 (Hebrew)"},
    {"8859part9", "ISO 8859-9 (Latin-5, Turkish)"},
    {"8859part10", "ISO 8859-10 (Latin-6, Nordic)"},
    {"8859part11", "ISO 8859-11 (Thai)"},
    {"8859part13", "ISO 8859-13 (Latin-7, Baltic Rim)"},
    {"8859part14", "ISO 8859-14 (Latin-8, Celtic)"},
    {"8859part15", "ISO 8859-15 (Latin-9)"},
    {"8859part16", "ISO 8859-16 (Latin-10, South-Eastern European)"},
    {"jis", "JIS (Japanese)"},
    {"shiftJIS", "Shift JIS (Japanese)"},
    {"eucJP", "EUC-JP (Japanese)"},
    {"usAscii", "US-ASCII"},
    {"ebcdic", "EBCDIC"},
    {"eucKR", "EUC-KR (Korean)"},
    {"big5", "Big5 (Traditional Chinese)"},
    {"GB2312", "GB 2312 (Simplified Chinese)"},
};
constexpr Words kCouplingWords[] = {{"loose", "Loose"}, {"mixed", "Mixed"}, {"tight", "Tight"}};
// ISO 639-2: the bibliographic code first, which a name alone is stored as;
// the terminology code of the same language reads as the same name. The
// code shows first: it is what the record holds and catalogues show.
constexpr Words kLanguageWords[] = {
    {"eng", "eng \u2014 English"},      {"fre", "fre \u2014 French"},
    {"fra", "fra \u2014 French"},       {"ger", "ger \u2014 German"},
    {"deu", "deu \u2014 German"},       {"spa", "spa \u2014 Spanish"},
    {"ita", "ita \u2014 Italian"},      {"dut", "dut \u2014 Dutch"},
    {"nld", "nld \u2014 Dutch"},        {"por", "por \u2014 Portuguese"},
    {"gre", "gre \u2014 Greek"},        {"ell", "ell \u2014 Greek"},
    {"swe", "swe \u2014 Swedish"},      {"nor", "nor \u2014 Norwegian"},
    {"dan", "dan \u2014 Danish"},       {"fin", "fin \u2014 Finnish"},
    {"ice", "ice \u2014 Icelandic"},    {"isl", "isl \u2014 Icelandic"},
    {"gle", "gle \u2014 Irish"},        {"wel", "wel \u2014 Welsh"},
    {"cym", "cym \u2014 Welsh"},        {"pol", "pol \u2014 Polish"},
    {"cze", "cze \u2014 Czech"},        {"ces", "ces \u2014 Czech"},
    {"slo", "slo \u2014 Slovak"},       {"slk", "slk \u2014 Slovak"},
    {"slv", "slv \u2014 Slovenian"},    {"hun", "hun \u2014 Hungarian"},
    {"rum", "rum \u2014 Romanian"},     {"ron", "ron \u2014 Romanian"},
    {"bul", "bul \u2014 Bulgarian"},    {"hrv", "hrv \u2014 Croatian"},
    {"est", "est \u2014 Estonian"},     {"lav", "lav \u2014 Latvian"},
    {"lit", "lit \u2014 Lithuanian"},   {"mlt", "mlt \u2014 Maltese"},
    {"rus", "rus \u2014 Russian"},      {"ukr", "ukr \u2014 Ukrainian"},
    {"tur", "tur \u2014 Turkish"},      {"ara", "ara \u2014 Arabic"},
    {"heb", "heb \u2014 Hebrew"},       {"chi", "chi \u2014 Chinese"},
    {"zho", "zho \u2014 Chinese"},      {"jpn", "jpn \u2014 Japanese"},
    {"kor", "kor \u2014 Korean"},       {"hin", "hin \u2014 Hindi"},
    {"ind", "ind \u2014 Indonesian"},   {"vie", "vie \u2014 Vietnamese"},
    {"tha", "tha \u2014 Thai"},         {"mul", "mul \u2014 Several languages"},
    {"und", "und \u2014 Undetermined"}, {"zxx", "zxx \u2014 No linguistic content"},
};

constexpr Words kRestrictionWords[] = {
    {"001", "Copyright"},      {"002", "Patent"},
    {"003", "Patent pending"}, {"004", "Trademark"},
    {"005", "Licence"},        {"006", "Intellectual property rights"},
    {"007", "Restricted"},     {"008", "Other restrictions"}};

constexpr Words kContentTypeWords[] = {
    {"001", "Image"}, {"002", "Thematic classification"}, {"003", "Physical measurement"}};
constexpr Words kAssociationWords[] = {{"001", "Cross reference"},
                                       {"002", "Larger work citation"},
                                       {"003", "Part of seamless database"},
                                       {"004", "Source"},
                                       {"005", "Stereo mate"}};
constexpr Words kInitiativeWords[] = {
    {"001", "Campaign"},      {"002", "Collection"}, {"003", "Exercise"}, {"004", "Experiment"},
    {"005", "Investigation"}, {"006", "Mission"},    {"007", "Sensor"},   {"008", "Operation"},
    {"009", "Platform"},      {"010", "Process"},    {"011", "Program"},  {"012", "Project"},
    {"013", "Study"},         {"014", "Task"},       {"015", "Trial"}};
constexpr Words kEvaluationWords[] = {{"directInternal", "Direct internal"},
                                      {"directExternal", "Direct external"},
                                      {"indirect", "Indirect"}};
// Domain consistency first: the conformance to a regulation or a standard
// that most records report, and the kind a report added starts as.
constexpr Words kQualityKindWords[] = {
    {"DQDomConsis", "Domain consistency"},
    {"DQCompOm", "Completeness: omission"},
    {"DQCompleteComm", "Completeness: commission"},
    {"DQConcConsis", "Conceptual consistency"},
    {"DQFormConsis", "Format consistency"},
    {"DQTopConsis", "Topological consistency"},
    {"DQAbsExtPosAcc", "Absolute external positional accuracy"},
    {"DQGridDataPosAcc", "Gridded data positional accuracy"},
    {"DQRelIntPosAcc", "Relative internal positional accuracy"},
    {"DQAccTimeMeas", "Accuracy of a time measurement"},
    {"DQTempConsis", "Temporal consistency"},
    {"DQTempValid", "Temporal validity"},
    {"DQThemClassCor", "Thematic classification correctness"},
    {"DQNonQuanAttAcc", "Non-quantitative attribute accuracy"},
    {"DQQuanAttAcc", "Quantitative attribute accuracy"},
};
constexpr Words kCoverageKindWords[] = {{"CovDesc", "Coverage"}, {"ImgDesc", "Image"}};

}  // namespace

const WordList kContentTypes{kContentTypeWords};
const WordList kAssociations{kAssociationWords};
const WordList kInitiatives{kInitiativeWords};
const WordList kEvaluations{kEvaluationWords};
const WordList kQualityKinds{kQualityKindWords};
const WordList kCoverageKinds{kCoverageKindWords};
const WordList kRestrictions{kRestrictionWords};
const WordList kRoleCodes{kRoleCodeWords};
const WordList kRoleNames{kRoleNameWords};
const WordList kDateTypes{kDateTypeWords};
const WordList kKeywordTypes{kKeywordTypeWords};
const WordList kTopics{kTopicWords};
const WordList kFrequencies{kFrequencyWords};
const WordList kScopeCodes{kScopeCodeWords};
const WordList kScopeNames{kScopeNameWords};
const WordList kFunctions{kFunctionWords};
const WordList kClassifications{kClassificationWords};
const WordList kCharacterSets{kCharacterSetWords};
const WordList kCouplings{kCouplingWords};
const WordList kLanguages{kLanguageWords};

}  // namespace tw::hostpages
