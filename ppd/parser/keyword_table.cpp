#include "ppd/parser/keyword_table.h"

#include <array>
#include <string_view>

#include "ppd/parser/media_handlers.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/printer_handlers.h"
#include "ppd/parser/ui_handlers.h"

namespace {

constexpr WORD kNone = UIGRP_OTHER;
constexpr WORD kOpt = KWF_OPTION;
constexpr WORD kRep = KWF_REPEATS;

// Row order is fixed: the hash table stores row indexes.
constexpr std::array<KEYWORDROW, KEYWORD_COUNT> keywordTable = {{
    {"Include", NullProc, kNone, kRep | KWV_QUOTED_PLAIN},
    {"ColorDevice", ColorDeviceProc, kNone, KWV_PLAIN_NONEMPTY},
    {"Protocols", ProtocolsProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"NickName", NickNameProc, kNone, KWV_QUOTED_PLAIN},
    {"LanguageLevel", LanguageLevelProc, kNone, KWV_QUOTED_PLAIN},
    {"LanguageEncoding", LanguageEncodingProc, kNone, KWV_PLAIN_NONEMPTY},
    {"LanguageVersion", LanguageVersionProc, kNone, KWV_PLAIN_NONEMPTY},
    {"TTRasterizer", TTRasterizerProc, kNone, KWV_PLAIN_NONEMPTY},
    {"ExitServer", ExitServerProc, kNone, KWV_QUOTED},
    {"Password", PasswordProc, kNone, KWV_QUOTED},
    {"SuggestedJobTimeout", JobTimeoutProc, kNone, KWV_QUOTED_PLAIN},
    {"SuggestedWaitTimeout", WaitTimeoutProc, kNone, KWV_QUOTED_PLAIN},
    {"PrintPSError", PrintPsErrorProc, kNone, KWV_PLAIN_NONEMPTY},
    {"JCLBegin", JclBeginProc, kNone, KWV_QUOTED_PLAIN},
    {"JCLToPSInterpreter", JclToPsProc, kNone, KWV_QUOTED_PLAIN},
    {"JCLEnd", JclEndProc, kNone, KWV_QUOTED_PLAIN},
    {"LandscapeOrientation", LsOrientationProc, kNone, KWV_PLAIN_NONEMPTY},
    {"Font", FontProc, kNone, kOpt | KWV_PLAIN_NONEMPTY},
    {"CustomPageSize", CustomPageSizeProc, kNone, kOpt | KWV_QUOTED},
    {"ParamCustomPageSize", ParamCustomPageProc, kNone, kOpt | KWV_PLAIN_NONEMPTY},
    {"MaxMediaWidth", MaxMediaWidthProc, kNone, KWV_QUOTED_PLAIN},
    {"MaxMediaHeight", MaxMediaHeightProc, kNone, KWV_QUOTED_PLAIN},
    {"HWMargins", HwMarginsProc, kNone, KWV_PLAIN_NONEMPTY},
    {"PageSize", PageSizeProc, UIGRP_PAGESIZE, kOpt | KWV_QUOTED},
    {"DefaultPageSize", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"PageRegion", PageRegionProc, UIGRP_PAGESIZE, kOpt | KWV_QUOTED},
    {"ImageableArea", ImageableAreaProc, UIGRP_PAGESIZE, kOpt | KWV_QUOTED},
    {"PaperDimension", PaperDimensionProc, UIGRP_PAGESIZE, kOpt | KWV_QUOTED},
    {"InputSlot", InputSlotProc, UIGRP_INPUTSLOT, kOpt | KWV_QUOTED},
    {"DefaultInputSlot", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"RequiresPageRegion", RequiresPageRgnProc, UIGRP_INPUTSLOT, kOpt | KWV_PLAIN_NONEMPTY},
    {"Collate", CommonUiOptionProc, kNone, kOpt | KWV_QUOTED},
    {"DefaultCollate", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"Duplex", CommonUiOptionProc, kNone, kOpt | KWV_QUOTED},
    {"DefaultDuplex", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"ManualFeed", CommonUiOptionProc, kNone, kOpt | KWV_QUOTED},
    {"DefaultManualFeed", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"Resolution", ResolutionProc, UIGRP_RESOLUTION, kOpt | KWV_QUOTED},
    {"JCLResolution", JclResolutionProc, UIGRP_RESOLUTION, kOpt | KWV_QUOTED_PLAIN},
    {"DefaultResolution", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"DefaultJCLResolution", DefaultJclResProc, kNone, KWV_PLAIN_NONEMPTY},
    {"SetResolution", SetResolutionProc, UIGRP_RESOLUTION, kOpt | KWV_QUOTED},
    {"ScreenAngle", ScreenAngleProc, kNone, KWV_QUOTED_PLAIN},
    {"ScreenFreq", ScreenFreqProc, kNone, KWV_QUOTED_PLAIN},
    {"ResScreenAngle", ResScreenAngleProc, kNone, kOpt | KWV_QUOTED_PLAIN},
    {"ResScreenFreq", ResScreenFreqProc, kNone, kOpt | KWV_QUOTED_PLAIN},
    {"FreeVM", FreeVmProc, kNone, KWV_QUOTED_PLAIN},
    {"InstalledMemory", InstalledMemProc, UIGRP_VMOPTION, kOpt | KWV_QUOTED},
    {"DefaultInstalledMemory", CommonUiDefaultProc, kNone, KWV_PLAIN_NONEMPTY},
    {"VMOption", VmOptionProc, UIGRP_VMOPTION, kOpt | KWV_QUOTED_PLAIN},
    {"OpenGroup", OpenGroupProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"CloseGroup", CloseGroupProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"OpenUI", OpenUiProc, kNone, kOpt | KWV_PLAIN_NONEMPTY},
    {"CloseUI", CloseUiProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"JCLOpenUI", OpenUiProc, kNone, kOpt | KWV_PLAIN_NONEMPTY},
    {"JCLCloseUI", CloseUiProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"OrderDependency", OrderDepProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"UIConstraints", UiConstraintsProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"Extensions", ExtensionsProc, kNone, kRep | KWV_PLAIN_NONEMPTY},
    {"End", NullProc, kNone, kRep | KWV_ANY},
    {"JCLRes", NullProc, kNone, kOpt | KWV_QUOTED_PLAIN},
}};

// Linear probing from the home slot h mod 127, wrapping from the last slot
// to the first; the table never fills (61 rows in 127 slots).
constexpr std::array<HASHSLOT, HASH_TABLE_SIZE> BuildHashTable() {
  std::array<HASHSLOT, HASH_TABLE_SIZE> slots{};
  for (HASHSLOT& slot : slots) slot = {0, KEYWORD_COUNT};
  for (WORD row = 0; row < KEYWORD_COUNT; ++row) {
    const ULONG hash = HashKeyword(keywordTable[row].keyword);
    ULONG index = hash % HASH_TABLE_SIZE;
    while (slots[index].row != KEYWORD_COUNT) index = (index + 1) % HASH_TABLE_SIZE;
    slots[index] = {hash, row};
  }
  return slots;
}

// Built when the driver is compiled, so there is nothing to build (and no
// race between first users) at run time.
constexpr std::array<HASHSLOT, HASH_TABLE_SIZE> hashTable = BuildHashTable();

constexpr int CountDisplacedKeywords() {
  int displaced = 0;
  for (ULONG index = 0; index < HASH_TABLE_SIZE; ++index) {
    const HASHSLOT& slot = hashTable[index];
    if (slot.row != KEYWORD_COUNT && slot.hash % HASH_TABLE_SIZE != index) ++displaced;
  }
  return displaced;
}

// The keywords with their lengths, for the comparisons of a search.
constexpr std::array<std::string_view, KEYWORD_COUNT> keywordViews = [] {
  std::array<std::string_view, KEYWORD_COUNT> views{};
  for (ULONG row = 0; row < KEYWORD_COUNT; ++row) views[row] = keywordTable[row].keyword;
  return views;
}();

static_assert(hashTable[0].row == KEYWORD_COUNT - 1, "JCLRes wraps from slot 126 to slot 0");
static_assert(CountDisplacedKeywords() == 12);

// Seen marks of the current parse, by row: process-wide, reset by
// InitKeywordTable; the description lock keeps parses from overlapping.
constinit std::array<bool, KEYWORD_COUNT> seenMarks{};

size_t RowIndex(const KEYWORDROW* row) { return static_cast<size_t>(row - keywordTable.data()); }

struct PREDEFINEDGROUP {
  const CHAR* name;
  ULONG optionSize;
  WORD uiType;
};

// By kind.
constexpr std::array<PREDEFINEDGROUP, MAX_PREDEFINED_GROUPS> uigrpInfo = {{
    {"PageSize", sizeof(MEDIAOPTION), UITYPE_PICKONE},
    {"InputSlot", sizeof(INPUTSLOTOPTION), UITYPE_PICKONE},
    {"ManualFeed", sizeof(UIOPTION), UITYPE_BOOLEAN},
    {"Duplex", sizeof(UIOPTION), UITYPE_PICKONE},
    {"Collate", sizeof(UIOPTION), UITYPE_BOOLEAN},
    {"Resolution", sizeof(RESOPTION), UITYPE_PICKONE},
    {"VMOption", sizeof(VMOPTION), UITYPE_PICKONE},
}};

}  // namespace

std::span<const KEYWORDROW, KEYWORD_COUNT> KeywordTable() { return keywordTable; }

std::span<const HASHSLOT, HASH_TABLE_SIZE> KeywordHashTable() { return hashTable; }

void InitKeywordTable() { seenMarks.fill(false); }

const KEYWORDROW* SearchKeyword(std::string_view keyword) {
  ULONG hash = 0;  // HashKeyword of the text
  for (const CHAR c : keyword) hash = (hash << 1) ^ static_cast<BYTE>(c);
  for (ULONG index = hash % HASH_TABLE_SIZE;; index = (index + 1) % HASH_TABLE_SIZE) {
    const HASHSLOT& slot = hashTable[index];
    if (slot.row == KEYWORD_COUNT) return nullptr;
    if (slot.hash == hash && keywordViews[slot.row] == keyword) return &keywordTable[slot.row];
  }
}

BOOL CheckKeywordParams(const KEYWORDROW* row, const PARSEROBJ* parser) {
  const bool hasOption = parser->option.length != 0;
  if (((row->flags & KWF_OPTION) != 0) != hasOption) return FALSE;
  switch (row->flags & KWF_VALUE_MASK) {
    case KWV_ANY:
      return TRUE;
    case KWV_QUOTED:
      return parser->valueType == PPDVALUE_QUOTED;
    case KWV_QUOTED_PLAIN:
      return parser->valueType == PPDVALUE_QUOTED || parser->valueType == PPDVALUE_PLAIN;
    case KWV_PLAIN_NONEMPTY:
      return parser->valueType == PPDVALUE_PLAIN && parser->value.length != 0;
    default:
      return FALSE;
  }
}

BOOL CheckKeywordDuplicates(const KEYWORDROW* row) {
  return !seenMarks[RowIndex(row)] || (row->flags & (KWF_OPTION | KWF_REPEATS)) != 0;
}

void MarkKeywordSeen(const KEYWORDROW* row) { seenMarks[RowIndex(row)] = true; }

WORD GetUiGroupIndex(const CHAR* name) {
  for (WORD kind = 0; kind < MAX_PREDEFINED_GROUPS; ++kind) {
    if (std::string_view(uigrpInfo[kind].name) == name) return kind;
  }
  return UIGRP_OTHER;
}

void GetUiGroupInfo(UIGROUPINFO* info, WORD kind, const CHAR* name) {
  if (kind >= UIGRP_OTHER) {
    kind = GetUiGroupIndex(name);
    if (kind == UIGRP_OTHER) {
      *info = {name, sizeof(UIOPTION), UITYPE_PICKONE, UIGRP_OTHER};
      return;
    }
  }
  const PREDEFINEDGROUP& group = uigrpInfo[kind];
  *info = {group.name, group.optionSize, group.uiType, kind};
}
