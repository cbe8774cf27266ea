#pragma once
// The fifteen data quality elements, in the order their books stand in the
// tree. The registration, the quality report's check list and the three
// quality pages all read this one table.

#include <array>
#include <string_view>

namespace tw::pages {

struct QualityElement {
  std::string_view prefix;         // of the book key and the pages' unique names: "DQCompComm"
  std::string_view element;        // stored under "dqInfo/" + element: "DQCompleteComm"
  std::string_view book_caption;   // "Quality completeness commission"
  std::string_view element_title;  // heading of the element page
  std::string_view result_title;   // heading of the result pages, before ": Conformance result"
};

inline constexpr std::array<QualityElement, 15> kQualityElements{{
    {"DQCompComm", "DQCompleteComm", "Quality completeness commission", "Completeness: Commission",
     "Completeness commission"},
    {"DQCompOm", "DQCompOm", "Quality completeness ommission", "Completeness: Ommission",
     "Completeness ommission"},
    {"DQConcConsis", "DQConcConsis", "Quality conceptual consistency",
     "Logical Consistency: Conceptual Consistency", "Conceptual consistency"},
    {"DQDomConsis", "DQDomConsis", "Quality domain consistency",
     "Logical Consistency: Domain Consistency", "Domain Consistency"},
    {"DQFormConsis", "DQFormConsis", "Quality format consistency",
     "Logical Consistency: Format Consistency", "Format consistency"},
    {"DQTopConsis", "DQTopConsis", "Quality topological consistency",
     "Logical Consistency: Topological Consistency", "Topological consistency"},
    {"DQAbsExtPosAcc", "DQAbsExtPosAcc", "Quality absolute external positional accuracy",
     "Positional Accuracy: Absolute external accuracy", "Absolute external accuracy"},
    {"DQGridDataPosAcc", "DQGridDataPosAcc", "Quality gridded data positional accuracy",
     "Positional Accuracy: Gridded data positional accuracy", "Gridded data positional accuracy"},
    {"DQRelIntPosAcc", "DQRelIntPosAcc", "Quality relative internal positional accuracy",
     "Positional Accuracy: Relative internal positional accuracy",
     "Relative internal positional accuracy"},
    {"DQAccTimeMeas", "DQAccTimeMeas", "Quality accuracy of a time measurement",
     "Temporal Accuracy: Accuracy of a time measurement", "Accuracy of a time measurement"},
    {"DQTempConsis", "DQTempConsis", "Quality temporal consistency",
     "Temporal Accuracy: Temporal consistency", "Temporal consistency"},
    {"DQTempValid", "DQTempValid", "Quality temporal validity",
     "Temporal Accuracy: Temporal validity", "Temporal validity"},
    {"DQThemClassCor", "DQThemClassCor", "Quality thematic classification correctness",
     "Thematic Accuracy: Thematic classification correctness",
     "Thematic classification correctness"},
    {"DQNonQuanAttAcc", "DQNonQuanAttAcc", "Quality non quantitative attribute accuracy",
     "Thematic Accuracy: Non Quantitative attribute accuracy",
     "Non Quantitative attribute accuracy"},
    {"DQQuanAttAcc", "DQQuanAttAcc", "Quality quantitative attribute accuracy",
     "Thematic Accuracy: Quantitative attribute accuracy", "Quantitative attribute accuracy"},
}};

}  // namespace tw::pages
