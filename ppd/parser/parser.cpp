#include "ppd/parser/parser.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "engine/services.h"
#include "lib/block_heap.h"
#include "lib/pool_tags.h"
#include "ppd/parser/description_lock.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/parser/ui_handlers.h"

namespace {

struct BUILTINENTRY {
  const CHAR* keyword;
  const CHAR* option;
  const CHAR* translation;
  const CHAR* value;
  WORD valueType;
};

// The card's own description: one page size, "CR_80", with its paper
// dimension, imageable area and order dependencies.
constexpr BUILTINENTRY builtinEntries[] = {
    {"OpenUI", "*PageSize", "", "PickOne", PPDVALUE_PLAIN},
    {"OrderDependency", "", "", "30 AnySetup *PageSize", PPDVALUE_PLAIN},
    {"DefaultPageSize", "", "", "CR_80", PPDVALUE_PLAIN},
    {"PageSize", "CR_80", "CR-80", "", PPDVALUE_QUOTED},
    {"End", "", "", "", PPDVALUE_NONE},
    {"CloseUI", "", "", "*PageSize", PPDVALUE_PLAIN},
    {"OpenUI", "*PageRegion", "", "PickOne", PPDVALUE_PLAIN},
    {"OrderDependency", "", "", "40 AnySetup *PageRegion", PPDVALUE_PLAIN},
    {"DefaultPageRegion", "", "", "CR_80", PPDVALUE_PLAIN},
    {"PageRegion", "CR_80", "CR-80", "", PPDVALUE_QUOTED},
    {"End", "", "", "", PPDVALUE_NONE},
    {"CloseUI", "", "", "*PageRegion", PPDVALUE_PLAIN},
    {"DefaultImageableArea", "", "", "CR_80", PPDVALUE_PLAIN},
    {"ImageableArea", "CR_80", "CR-80", "0.0000 0.0000 157.4399 245.7598", PPDVALUE_QUOTED},
    {"DefaultPaperDimension", "", "", "CR_80", PPDVALUE_PLAIN},
    {"PaperDimension", "CR_80", "CR-80", "158 246", PPDVALUE_QUOTED},
};
static_assert(std::size(builtinEntries) == 16);

constexpr LONG Real(LONG whole) { return whole * 256; }

// Which entry of the open group a keyword is: an option entry (the group's
// own name) or its default entry ("Default" and the name); neither while no
// group is open.
enum class OpenGroupEntry { None, Option, Default };

OpenGroupEntry OpenGroupEntryOf(const PPDOBJ* ppd, std::string_view keyword) {
  const UIGROUP* open = ppd->openUiGroup;
  if (open == nullptr) return OpenGroupEntry::None;
  const std::string_view name = open->header.name;
  if (keyword == name) return OpenGroupEntry::Option;
  if (keyword.starts_with(defaultPrefixStr) && keyword.substr(kDefaultPrefixLength) == name) {
    return OpenGroupEntry::Default;
  }
  return OpenGroupEntry::None;
}

// The keyword table's row for a keyword, when it has a handler; NULL else.
const KEYWORDROW* HandledRow(std::string_view keyword) {
  if (keyword.size() > PARSER_NAME_MAX) return nullptr;
  const KEYWORDROW* row = SearchKeyword(keyword);
  return row != nullptr && row->handler != nullptr ? row : nullptr;
}

// HandledRow, remembered for the next statement.
const KEYWORDROW* RememberedHandledRow(PARSEROBJ* parser, std::string_view keyword) {
  if (parser->lastKeywordLength != 0 &&
      keyword == std::string_view(parser->lastKeywordText, parser->lastKeywordLength)) {
    return parser->lastRow;
  }
  const KEYWORDROW* row = HandledRow(keyword);
  if (!keyword.empty() && keyword.size() <= PARSER_NAME_MAX) {
    std::memcpy(parser->lastKeywordText, keyword.data(), keyword.size());
    parser->lastKeywordLength = static_cast<ULONG>(keyword.size());
    parser->lastRow = row;
  }
  return row;
}

WCHAR* CopyFileName(HEAPOBJ* heap, const WCHAR* fileName) {
  ULONG length = 0;
  while (fileName[length] != u'\0') ++length;
  const ULONG size = (length + 1) * sizeof(WCHAR);
  auto* copy = static_cast<WCHAR*>(HEAPOBJ_Alloc(heap, size));
  if (copy != nullptr) std::memcpy(copy, fileName, size);
  return copy;
}

}  // namespace

PARSEROBJ* PARSEROBJ_Create() {
  auto* parser = static_cast<PARSEROBJ*>(EngAllocMem(0, sizeof(PARSEROBJ), DRIVER_DESC_TAG));
  if (parser == nullptr) return nullptr;
  std::memset(parser, 0, sizeof(PARSEROBJ));
  auto* valueText = static_cast<CHAR*>(EngAllocMem(0, PARSER_VALUE_MAX + 1, DRIVER_DESC_TAG));
  if (valueText == nullptr) {
    EngFreeMem(parser);
    return nullptr;
  }
  std::memset(valueText, 0, PARSER_VALUE_MAX + 1);
  BUFOBJ_Initialize(&parser->keyword, parser->keywordText, PARSER_NAME_MAX);
  BUFOBJ_Initialize(&parser->option, parser->optionText, PARSER_NAME_MAX);
  BUFOBJ_Initialize(&parser->translation, parser->translationText, PARSER_NAME_MAX);
  BUFOBJ_Initialize(&parser->value, valueText, PARSER_VALUE_MAX);
  return parser;
}

void PARSEROBJ_Delete(PARSEROBJ* parser) {
  EngFreeMem(parser->value.text);
  EngFreeMem(parser);
}

void PPDOBJ_ResetPO(PARSEROBJ* parser) {
  BUFOBJ_Reset(&parser->keyword);
  BUFOBJ_Reset(&parser->option);
  BUFOBJ_Reset(&parser->translation);
  BUFOBJ_Reset(&parser->value);
  parser->valueType = PPDVALUE_NONE;
}

void PPDOBJ_SetDefaults(PPDOBJ* ppd) {
  ppd->checksum = 0;
  ppd->languageLevel = 1;
  ppd->colorDevice = TRUE;
  ppd->printPsErrors = FALSE;
  ppd->jobTimeout = 0;
  ppd->waitTimeout = 240;
  ppd->customPageSize = FALSE;
  ppd->screenAngle = Real(45);
  ppd->screenFreq = Real(60);
  ppd->resolutionCodeKind = RESCODE_RESOLUTION;
}

PPDOBJ* PPDOBJ_CreateEmpty(const WCHAR* fileName) {
  HEAPOBJ* heap = HEAPOBJ_Create();
  if (heap == nullptr) return nullptr;
  auto* ppd = static_cast<PPDOBJ*>(HEAPOBJ_Alloc(heap, sizeof(PPDOBJ)));
  if (ppd == nullptr) {
    HEAPOBJ_Delete(heap);
    return nullptr;
  }
  std::memset(ppd, 0, sizeof(PPDOBJ));
  ppd->heap = heap;
  if (fileName != nullptr) {
    ppd->fileName = CopyFileName(heap, fileName);
    if (ppd->fileName == nullptr) {
      HEAPOBJ_Delete(heap);
      return nullptr;
    }
  }
  PPDOBJ_SetDefaults(ppd);
  InitKeywordTable();
  return ppd;
}

PPDOBJ* PPDOBJ_Create(const WCHAR* fileName) {
  if (!AcquireDescriptionLock()) return nullptr;
  PARSEROBJ* parser = PARSEROBJ_Create();
  PPDOBJ* ppd = parser != nullptr ? PPDOBJ_CreateEmpty(fileName) : nullptr;
  if (ppd != nullptr) PPDOBJ_BuildEntries(ppd, parser, fileName);
  ReleaseDescriptionLock();
  if (parser != nullptr) PARSEROBJ_Delete(parser);
  return ppd;
}

void PPDOBJ_Delete(PPDOBJ* ppd) {
  if (ppd != nullptr) HEAPOBJ_Delete(ppd->heap);
}

BOOL PPDOBJ_BuildEntries(PPDOBJ* ppd, PARSEROBJ* parser, const WCHAR*) {
  // An entry that fails leaves the records as far as its handler got; the
  // next entry is interpreted as usual.
  for (const BUILTINENTRY& entry : builtinEntries) {
    PPDOBJ_InsertEntry(ppd, parser, entry.keyword, entry.option, entry.translation, entry.value,
                       entry.valueType);
  }
  return TRUE;
}

WORD PPDOBJ_InsertEntry(PPDOBJ* ppd, PARSEROBJ* parser, const CHAR* keyword, const CHAR* option,
                        const CHAR* translation, const CHAR* value, WORD valueType) {
  PPDOBJ_ResetPO(parser);
  // A text longer than its buffer is interpreted as cut.
  BUFOBJ_AddString(&parser->keyword, keyword != nullptr ? keyword : "");
  BUFOBJ_AddString(&parser->option, option != nullptr ? option : "");
  BUFOBJ_AddString(&parser->translation, translation != nullptr ? translation : "");
  BUFOBJ_AddString(&parser->value, value != nullptr ? value : "");
  parser->valueType = valueType;
  return PPDOBJ_InterpretEntry(ppd, parser);
}

BOOL PPDOBJ_IgnoresKeyword(const PPDOBJ* ppd, std::string_view keyword) {
  if (keyword.starts_with('?')) return TRUE;
  return OpenGroupEntryOf(ppd, keyword) == OpenGroupEntry::None && HandledRow(keyword) == nullptr
             ? TRUE
             : FALSE;
}

WORD PPDOBJ_InterpretEntry(PPDOBJ* ppd, PARSEROBJ* parser) {
  const std::string_view keyword(parser->keyword.text);
  if (keyword.starts_with('?')) return PPDERR_NONE;
  // The open group takes its own option and default entries before the
  // keyword table is asked.
  switch (OpenGroupEntryOf(ppd, keyword)) {
    case OpenGroupEntry::Option:
      return CommonUiOptionProc(ppd, parser);
    case OpenGroupEntry::Default:
      return CommonUiDefaultProc(ppd, parser);
    case OpenGroupEntry::None:
      break;
  }
  const KEYWORDROW* row = RememberedHandledRow(parser, keyword);
  if (row == nullptr) return PPDERR_NONE;
  if (!CheckKeywordParams(row, parser)) return PPDERR_SYNTAX;
  if (!CheckKeywordDuplicates(row)) return PPDERR_NONE;
  const WORD result = row->handler(ppd, parser);
  if (result == PPDERR_NONE) MarkKeywordSeen(row);
  return result;
}
