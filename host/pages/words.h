#pragma once
// ISO's code lists as the host's pages show them: in words a person reads,
// each with the code the item stores (the host's three-digit code, or ISO's
// own name where the item keeps names).

#include "tidewise/pages/page.h"

namespace tw::hostpages {

using pages::WordList;

extern const WordList kRoleCodes;        // CI_RoleCode, "007"
extern const WordList kRoleNames;        // CI_RoleCode, "pointOfContact"
extern const WordList kDateTypes;        // CI_DateTypeCode
extern const WordList kKeywordTypes;     // MD_KeywordTypeCode
extern const WordList kTopics;           // MD_TopicCategoryCode
extern const WordList kFrequencies;      // MD_MaintenanceFrequencyCode
extern const WordList kScopeCodes;       // MD_ScopeCode, "005"
extern const WordList kScopeNames;       // MD_ScopeCode, "dataset"
extern const WordList kFunctions;        // CI_OnLineFunctionCode
extern const WordList kClassifications;  // MD_ClassificationCode
extern const WordList kCharacterSets;    // MD_CharacterSetCode, "utf8"
extern const WordList kCouplings;        // SV_CouplingType
extern const WordList kLanguages;        // ISO 639-2, "eng"
extern const WordList kRestrictions;     // MD_RestrictionCode, "001"
extern const WordList kContentTypes;     // MD_CoverageContentTypeCode, "001"
extern const WordList kAssociations;     // DS_AssociationTypeCode, "001"
extern const WordList kInitiatives;      // DS_InitiativeTypeCode, "001"
extern const WordList kEvaluations;      // DQ_EvaluationMethodTypeCode, "directInternal"
// The kinds of a list of several element names: the item's element names.
extern const WordList kQualityKinds;   // the DQ_Element classes, "DQDomConsis"
extern const WordList kCoverageKinds;  // MD_CoverageDescription and MD_ImageDescription

}  // namespace tw::hostpages
