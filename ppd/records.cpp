#include "ppd/records.h"

#include <cstring>

void LISTOBJ_Add(LISTOBJ** ppList, LISTOBJ* item) {
  item->nameHash = HashKeyword(item->name);
  item->next = nullptr;
  while (*ppList != nullptr) ppList = &(*ppList)->next;
  *ppList = item;
}

void LISTOBJ_Append(LISTOBJ** ppList, LISTOBJ** ppLast, LISTOBJ* item) {
  item->nameHash = HashKeyword(item->name);
  item->next = nullptr;
  if (*ppLast != nullptr) {
    (*ppLast)->next = item;
  } else {
    *ppList = item;
  }
  *ppLast = item;
}

LISTOBJ* LISTOBJ_Find(LISTOBJ* list, const CHAR* name) {
  WORD index;
  return LISTOBJ_FindItemIndex(list, name, &index);
}

LISTOBJ* LISTOBJ_FindItemIndex(LISTOBJ* list, const CHAR* name, WORD* pIndex) {
  const ULONG hash = HashKeyword(name);
  ULONG position = 0;
  for (LISTOBJ* item = list; item != nullptr; item = item->next, ++position) {
    if (item->nameHash == hash && std::strcmp(item->name, name) == 0) {
      *pIndex = position < LISTOBJ_NOT_FOUND ? static_cast<WORD>(position) : LISTOBJ_NOT_FOUND;
      return item;
    }
  }
  *pIndex = LISTOBJ_NOT_FOUND;
  return nullptr;
}

ULONG LISTOBJ_Count(const LISTOBJ* list) {
  ULONG count = 0;
  for (; list != nullptr; list = list->next) ++count;
  return count;
}

LISTOBJ* LISTOBJ_FindIndexed(LISTOBJ* list, ULONG index) {
  for (; list != nullptr && index != 0; --index) list = list->next;
  return list;
}

ULONG UIGROUP_CountOptions(const UIGROUP* group) {
  return group != nullptr ? LISTOBJ_Count(group->options) : 0;
}
