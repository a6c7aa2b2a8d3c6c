// Finding options of an unpacked image by name and by position.
#include <cstring>

#include "ppd/queries.h"

namespace {

constexpr CHAR kTrueOption[] = "True";
constexpr CHAR kFalseOption[] = "False";
constexpr CHAR kNoneOption[] = "None";

}  // namespace

UIOPTION* PpdFindUiOptionWithXlation(LISTOBJ* options, const CHAR* name, WORD* pIndex) {
  const ULONG hash = HashKeyword(name);
  ULONG position = 0;
  for (LISTOBJ* item = options; item != nullptr; item = item->next, ++position) {
    UIOPTION* option = ListRecord<UIOPTION>(item);
    const bool translationMatches =
        option->translation != nullptr && std::strcmp(option->translation, name) == 0;
    const bool keywordMatches = item->nameHash == hash && std::strcmp(item->name, name) == 0;
    if (translationMatches || keywordMatches) {
      *pIndex = position < LISTOBJ_NOT_FOUND ? static_cast<WORD>(position) : LISTOBJ_NOT_FOUND;
      return option;
    }
  }
  *pIndex = LISTOBJ_NOT_FOUND;
  return nullptr;
}

CHAR* FindBooleanOptionCode(UIGROUP* group, BOOL bFlag) {
  if (group == nullptr) return nullptr;
  LISTOBJ* item = LISTOBJ_Find(group->options, bFlag != FALSE ? kTrueOption : kFalseOption);
  return item != nullptr ? ListRecord<UIOPTION>(item)->invocation : nullptr;
}

CHAR* PpdFindCollateCode(PPDOBJ* hppd, BOOL bFlag) {
  return FindBooleanOptionCode(hppd->predefinedGroups[UIGRP_COLLATE], bFlag);
}

BOOL PpdSupportDuplex(PPDOBJ* hppd) {
  const UIGROUP* duplex = hppd->predefinedGroups[UIGRP_DUPLEX];
  return duplex != nullptr && duplex->options != nullptr ? TRUE : FALSE;
}

BOOL PpdFindFeatureSelection(PPDOBJ* hppd, WORD feature, WORD option, UIGROUP** ppGroup,
                             UIOPTION** ppOption) {
  *ppGroup = nullptr;
  *ppOption = nullptr;
  if (feature == LISTOBJ_NOT_FOUND || option == PPD_ANY_OPTION) return FALSE;
  LISTOBJ* group = LISTOBJ_FindIndexed(hppd->uiGroups, feature);
  if (group == nullptr) return FALSE;
  *ppGroup = ListRecord<UIGROUP>(group);
  LISTOBJ* item = LISTOBJ_FindIndexed((*ppGroup)->options, option);
  if (item == nullptr) return FALSE;
  *ppOption = ListRecord<UIOPTION>(item);
  return TRUE;
}

BOOL FeatureSelectionNone(PPDOBJ* hppd, WORD feature, WORD option) {
  UIGROUP* group;
  UIOPTION* selected;
  if (!PpdFindFeatureSelection(hppd, feature, option, &group, &selected)) return FALSE;
  const CHAR* keyword = selected->header.name;
  return std::strcmp(keyword, kNoneOption) == 0 || std::strcmp(keyword, kFalseOption) == 0 ? TRUE
                                                                                           : FALSE;
}
