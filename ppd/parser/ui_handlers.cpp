#include "ppd/parser/ui_handlers.h"

#include <cstring>
#include <initializer_list>

#include "lib/block_heap.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/value_scan.h"

namespace {

constexpr STRTABLE uitypeStrs[] = {
    {"PickOne", UITYPE_PICKONE},
    {"PickMany", UITYPE_PICKMANY},
    {"Boolean", UITYPE_BOOLEAN},
    {nullptr, UITYPE_PICKONE},
};

// The predefined kind a feature keyword names through its keyword table
// row, or UIGRP_OTHER when the table does not give one.
WORD PredefinedKindOf(const CHAR* name) {
  const KEYWORDROW* row = SearchKeyword(name);
  return row != nullptr ? row->groupKind : UIGRP_OTHER;
}

}  // namespace

WORD CreateUiGroup(PPDOBJ* ppd, WORD kind, const CHAR* name, UIGROUP** group) {
  UIGROUPINFO info;
  GetUiGroupInfo(&info, kind, name);
  if (LISTOBJ* found = LISTOBJ_Find(ppd->uiGroups, info.name)) {
    *group = ListRecord<UIGROUP>(found);
    return PPDERR_NONE;
  }
  if (ppd->cUiGroups >= PPD_MAX_LIST_ITEMS) return PPDERR_FULL;
  UIGROUP* created = UIGROUP_Create(ppd, &info);
  if (created == nullptr) return PPDERR_MEMORY;
  LISTOBJ_Add(&ppd->uiGroups, &created->header);
  ++ppd->cUiGroups;
  *group = created;
  return PPDERR_NONE;
}

UIGROUP* UIGROUP_Create(PPDOBJ* ppd, const UIGROUPINFO* info) {
  auto* group = static_cast<UIGROUP*>(HEAPOBJ_Alloc(ppd->heap, sizeof(UIGROUP)));
  if (group == nullptr) return nullptr;
  std::memset(group, 0, sizeof(UIGROUP));
  group->header.name = HeapCopyString(ppd->heap, info->name);
  if (group->header.name == nullptr) return nullptr;
  group->kind = info->kind;
  group->uiType = info->uiType;
  group->optionSize = info->optionSize;
  if (info->kind < UIGRP_OTHER) {
    group->installable = info->kind == UIGRP_VMOPTION ? TRUE : FALSE;
    // Entered only once the group is whole, so no half-made group is left
    // behind when the arena runs out.
    ppd->predefinedGroups[info->kind] = group;
  } else {
    group->installable = ppd->inInstallableGroup;
  }
  return group;
}

UIOPTION* UIOPTION_Create(HEAPOBJ* heap, const BUFOBJ* optionBuf, const BUFOBJ* translationBuf,
                          ULONG size, WORD* result) {
  *result = PPDERR_MEMORY;
  auto* option = static_cast<UIOPTION*>(HEAPOBJ_Alloc(heap, size));
  if (option == nullptr) return nullptr;
  std::memset(option, 0, size);
  *result = GetStringValue(&option->header.name, optionBuf, heap, STRMODE_PLAIN);
  if (*result != PPDERR_NONE) return nullptr;
  if (translationBuf->length != 0) {
    *result = GetStringValue(&option->translation, translationBuf, heap, STRMODE_QUOTED);
    if (*result != PPDERR_NONE) return nullptr;
  }
  return option;
}

WORD CreateUiOption(PPDOBJ* ppd, PARSEROBJ* parser, WORD kind, UIOPTION** option) {
  UIGROUP* group;
  WORD result = CreateUiGroup(ppd, kind, parser->keyword.text, &group);
  if (result != PPDERR_NONE) return result;
  if (LISTOBJ* found = LISTOBJ_Find(group->options, parser->option.text)) {
    UIOPTION* existing = ListRecord<UIOPTION>(found);
    if (parser->translation.length != 0 && existing->translation == nullptr) {
      result = GetStringValue(&existing->translation, &parser->translation, ppd->heap,
                              STRMODE_QUOTED);
      if (result != PPDERR_NONE) return result;
    }
    *option = existing;
    return PPDERR_NONE;
  }
  UIOPTION* created =
      UIOPTION_Create(ppd->heap, &parser->option, &parser->translation, group->optionSize, &result);
  if (created == nullptr) return result;
  LISTOBJ_Add(&group->options, &created->header);
  *option = created;
  return PPDERR_NONE;
}

WORD OpenUiProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  ppd->openUiGroup = nullptr;
  const bool jcl = std::strncmp(parser->keyword.text, "JCL", 3) == 0;
  const CHAR* name = StripKeywordChar(parser->option.text);
  if (name == nullptr) return PPDERR_SYNTAX;
  // Features the table knows without a predefined group (Duplex, Collate,
  // ManualFeed, and keywords that are no features) are not bracketed: their
  // options come through their own rows.
  WORD kind = UIGRP_OTHER;
  if (const KEYWORDROW* row = SearchKeyword(name)) {
    if (row->groupKind == UIGRP_OTHER) return PPDERR_NONE;
    kind = row->groupKind;
  }
  WORD uiType;
  SearchStringTable(uitypeStrs, parser->value.text, &uiType);
  UIGROUP* group;
  WORD result = CreateUiGroup(ppd, kind, name, &group);
  if (result != PPDERR_NONE) return result;
  group->uiType = uiType;
  if (parser->translation.length != 0) {
    result = GetStringValue(&group->translation, &parser->translation, ppd->heap, STRMODE_QUOTED);
    if (result != PPDERR_NONE) return result;
  }
  if (kind == UIGRP_OTHER) {
    if (jcl) group->flags |= UIGF_JCLGROUP;
    ppd->openUiGroup = group;
  }
  return PPDERR_NONE;
}

WORD CloseUiProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  BUFOBJ_StripTrailingSpaces(&parser->value);
  const CHAR* name = StripKeywordChar(parser->value.text);
  if (name == nullptr) return PPDERR_SYNTAX;
  if (ppd->openUiGroup != nullptr && EqualWordString(ppd->openUiGroup->header.name, name)) {
    ppd->openUiGroup = nullptr;
    return PPDERR_NONE;
  }
  return SearchKeyword(name) != nullptr ? PPDERR_NONE : PPDERR_SYNTAX;
}

WORD CommonUiOptionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  UIOPTION* option;
  const WORD result = CreateUiOption(ppd, parser, UIGRP_OTHER, &option);
  if (result != PPDERR_NONE) return result;
  const bool jclGroup =
      ppd->openUiGroup != nullptr && (ppd->openUiGroup->flags & UIGF_JCLGROUP) != 0;
  return GetStringValue(&option->invocation, &parser->value, ppd->heap,
                        jclGroup ? STRMODE_QUOTED : STRMODE_INVOCATION);
}

WORD CommonUiDefaultProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  const CHAR* name = parser->keyword.text + kDefaultPrefixLength;
  // The feature's kind comes from its own keyword row where that names a
  // predefined group: "DefaultInstalledMemory" fills the "VMOption" group.
  UIGROUP* group;
  const WORD result = CreateUiGroup(ppd, PredefinedKindOf(name), name, &group);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(&group->defaultOption, &parser->value, ppd->heap, STRMODE_PLAIN);
}

WORD PageSizeProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  MEDIAOPTION* media;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_PAGESIZE, &media);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(&media->option.invocation, &parser->value, ppd->heap,
                        STRMODE_INVOCATION);
}

WORD PageRegionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  MEDIAOPTION* media;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_PAGESIZE, &media);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(&media->pageRegionCode, &parser->value, ppd->heap, STRMODE_INVOCATION);
}

WORD ImageableAreaProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  MEDIAOPTION* media;
  WORD result = CreateKindOption(ppd, parser, UIGRP_PAGESIZE, &media);
  if (result != PPDERR_NONE) return result;
  LONG edges[4];
  const CHAR* cursor = parser->value.text;
  for (LONG& edge : edges) {
    result = ReadRealWord(&cursor, &edge);
    if (result != PPDERR_NONE) return result;
  }
  media->imageableArea = {edges[0], edges[1], edges[2], edges[3]};
  return PPDERR_NONE;
}

WORD PaperDimensionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  MEDIAOPTION* media;
  WORD result = CreateKindOption(ppd, parser, UIGRP_PAGESIZE, &media);
  if (result != PPDERR_NONE) return result;
  const CHAR* cursor = parser->value.text;
  for (LONG* dimension : {&media->paperWidth, &media->paperHeight}) {
    result = ReadRealWord(&cursor, dimension);
    if (result != PPDERR_NONE) return result;
  }
  return PPDERR_NONE;
}
