#include "ppd/parser/printer_handlers.h"

#include <cstring>
#include <string_view>

#include "lib/block_heap.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/value_scan.h"

namespace {

constexpr STRTABLE protocolStrs[] = {
    {"PJL", PROTOCOL_PJL}, {"BCP", PROTOCOL_BCP}, {"TBCP", PROTOCOL_TBCP},
    {"SIC", PROTOCOL_SIC}, {nullptr, 0},
};

constexpr STRTABLE langEncodingStrs[] = {
    {"ISOLatin1", LANGENC_ISOLATIN1},     {"JIS83-RKSJ", LANGENC_JIS83_RKSJ},
    {"MaxStandard", LANGENC_MAXSTANDARD}, {"WindowsANSI", LANGENC_WINDOWSANSI},
    {"None", LANGENC_NONE},               {nullptr, 5},
};

// The language encoding each language version implies.
constexpr STRTABLE langVersionStrs[] = {
    {"English", LANGENC_ISOLATIN1},   {"Danish", LANGENC_ISOLATIN1},
    {"Dutch", LANGENC_ISOLATIN1},     {"Finnish", LANGENC_ISOLATIN1},
    {"French", LANGENC_ISOLATIN1},    {"German", LANGENC_ISOLATIN1},
    {"Italian", LANGENC_ISOLATIN1},   {"Norwegian", LANGENC_ISOLATIN1},
    {"Portuguese", LANGENC_ISOLATIN1}, {"Spanish", LANGENC_ISOLATIN1},
    {"Swedish", LANGENC_ISOLATIN1},   {"Chinese", LANGENC_NONE},
    {"Japanese", LANGENC_JIS83_RKSJ}, {"Russian", LANGENC_NONE},
    {nullptr, 5},
};

constexpr STRTABLE ttRasterizerStrs[] = {
    {"None", TTRAS_NONE},     {"Accept68k", TTRAS_ACCEPT68K}, {"Type42", TTRAS_TYPE42},
    {"TrueImage", TTRAS_TRUEIMAGE}, {nullptr, 4},
};

constexpr STRTABLE lsoStrs[] = {
    {"Any", LSO_ANY}, {"Plus90", LSO_PLUS90}, {"Minus90", LSO_MINUS90}, {nullptr, 3},
};

constexpr STRTABLE sectionStrs[] = {
    {"ExitServer", SECTION_EXITSERVER},
    {"Prolog", SECTION_PROLOG},
    {"DocumentSetup", SECTION_DOCUMENTSETUP},
    {"PageSetup", SECTION_PAGESETUP},
    {"JCLSetup", SECTION_JCLSETUP},
    {"AnySetup", SECTION_ANYSETUP},
    {nullptr, SECTION_ANYSETUP},
};

constexpr STRTABLE extensionStrs[] = {
    {"DPS", EXTENSION_DPS},           {"CMYK", EXTENSION_CMYK},
    {"Composite", EXTENSION_COMPOSITE}, {"FileSystem", EXTENSION_FILESYSTEM},
    {nullptr, 0},
};

constexpr CHAR installableOptionsStr[] = "InstallableOptions";

// ORs the code of every word of the value into *bits.
void OrWordCodes(const STRTABLE* table, const CHAR* value, WORD* bits) {
  CHAR word[MAX_WORD_LEN];
  while (GetWordStr(&value, MAX_WORD_LEN, word) != 0) {
    WORD code;
    SearchStringTable(table, word, &code);
    *bits |= code;
  }
}

// Sets *field to the word's code when the word is in the table.
void SetKnownCode(const STRTABLE* table, const CHAR* value, WORD* field) {
  WORD code;
  if (SearchStringTable(table, value, &code)) *field = code;
}

// A record of `size` bytes with a copy of `name` right behind it, in one
// arena allocation; the record part is zeroed and its header names the copy.
template <typename Record>
Record* CreateNamedRecord(HEAPOBJ* heap, const CHAR* name) {
  constexpr ULONG kRecordSize = sizeof(Record);
  const ULONG nameSize = static_cast<ULONG>(std::strlen(name)) + 1;
  auto* record = static_cast<Record*>(HEAPOBJ_Alloc(heap, kRecordSize + nameSize));
  if (record == nullptr) return nullptr;
  std::memset(record, 0, kRecordSize);
  CHAR* copy = reinterpret_cast<CHAR*>(record) + kRecordSize;
  std::memcpy(copy, name, nameSize);
  record->header.name = copy;
  return record;
}

// Takes the next word of the value as a feature keyword without its
// asterisk; NULL when no word is left or only an asterisk.
const CHAR* TakeFeatureWord(const CHAR** cursor, CHAR* word) {
  if (GetWordStr(cursor, MAX_WORD_LEN, word) == 0) return nullptr;
  return StripKeywordChar(word);
}

}  // namespace

WORD ColorDeviceProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  GetBooleanValue(&ppd->colorDevice, parser->value.text);
  return PPDERR_NONE;
}

WORD ProtocolsProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  OrWordCodes(protocolStrs, parser->value.text, &ppd->protocols);
  return PPDERR_NONE;
}

WORD NickNameProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->nickName, &parser->value, ppd->heap, STRMODE_QUOTED);
}

WORD LanguageLevelProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetIntegerValue(&ppd->languageLevel, parser->value.text);
}

WORD LanguageEncodingProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  SetKnownCode(langEncodingStrs, parser->value.text, &ppd->languageEncoding);
  return PPDERR_NONE;
}

WORD LanguageVersionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  if (ppd->languageEncoding == LANGENC_NONE) {
    SetKnownCode(langVersionStrs, parser->value.text, &ppd->languageEncoding);
  }
  return PPDERR_NONE;
}

WORD TTRasterizerProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  SetKnownCode(ttRasterizerStrs, parser->value.text, &ppd->ttRasterizer);
  return PPDERR_NONE;
}

WORD ExitServerProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->exitServer, &parser->value, ppd->heap, STRMODE_INVOCATION);
}

WORD PasswordProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->password, &parser->value, ppd->heap, STRMODE_INVOCATION);
}

WORD JobTimeoutProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetIntegerValue(&ppd->jobTimeout, parser->value.text);
}

WORD WaitTimeoutProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetIntegerValue(&ppd->waitTimeout, parser->value.text);
}

WORD PrintPsErrorProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  GetBooleanValue(&ppd->printPsErrors, parser->value.text);
  return PPDERR_NONE;
}

WORD JclBeginProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->jclBegin, &parser->value, ppd->heap, STRMODE_QUOTED);
}

WORD JclToPsProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->jclToPs, &parser->value, ppd->heap, STRMODE_QUOTED);
}

WORD JclEndProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetStringValue(&ppd->jclEnd, &parser->value, ppd->heap, STRMODE_QUOTED);
}

WORD LsOrientationProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  SetKnownCode(lsoStrs, parser->value.text, &ppd->landscapeOrientation);
  return PPDERR_NONE;
}

WORD ExtensionsProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  // Only an entry that names CMYK makes the printer a colour device; the
  // extensions of earlier entries do not undo a later ColorDevice False.
  WORD named = 0;
  OrWordCodes(extensionStrs, parser->value.text, &named);
  ppd->extensions |= named;
  if ((named & EXTENSION_CMYK) != 0) ppd->colorDevice = TRUE;
  return PPDERR_NONE;
}

WORD OpenCloseGroupProc(PPDOBJ* ppd, const CHAR* value, BOOL state) {
  if (!EqualWordString(installableOptionsStr, value)) return PPDERR_NONE;
  if (ppd->inInstallableGroup == static_cast<ULONG>(state)) return PPDERR_SYNTAX;
  ppd->inInstallableGroup = static_cast<ULONG>(state);
  return PPDERR_NONE;
}

WORD OpenGroupProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return OpenCloseGroupProc(ppd, parser->value.text, TRUE);
}

WORD CloseGroupProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return OpenCloseGroupProc(ppd, parser->value.text, FALSE);
}

WORD OrderDepProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  const CHAR* cursor = parser->value.text;
  CHAR word[MAX_WORD_LEN];
  LONG order;
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) == 0) return PPDERR_SYNTAX;
  if (GetRealValue(&order, word) != PPDERR_NONE) return PPDERR_SYNTAX;
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) == 0) return PPDERR_SYNTAX;
  WORD section;
  SearchStringTable(sectionStrs, word, &section);
  const CHAR* feature = TakeFeatureWord(&cursor, word);
  if (feature == nullptr) return PPDERR_SYNTAX;
  if (ppd->cOrderDeps >= PPD_MAX_LIST_ITEMS) return PPDERR_FULL;
  auto* dependency = CreateNamedRecord<ORDERDEP>(ppd->heap, feature);
  if (dependency == nullptr) return PPDERR_MEMORY;
  dependency->order = order;
  dependency->section = section;
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) != 0) {
    dependency->optionKeyword = HeapCopyString(ppd->heap, word);
    if (dependency->optionKeyword == nullptr) return PPDERR_MEMORY;
  }
  LISTOBJ_Append(&ppd->orderDeps, &ppd->lastOrderDep, &dependency->header);
  ++ppd->cOrderDeps;
  return PPDERR_NONE;
}

namespace {

// A word as GetWordStr stores it (cut to fit a word buffer), and a feature
// word without its asterisk (empty when no word or only an asterisk).
std::string_view StoredWord(std::string_view word) { return word.substr(0, MAX_WORD_LEN - 1); }
std::string_view FeatureOf(std::string_view word) {
  if (!word.empty() && word.front() == '*') word.remove_prefix(1);
  return word;
}

}  // namespace

WORD UiConstraintsProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  // "*Feature1 [Option1] *Feature2 [Option2]": the record and its four texts
  // in one arena allocation.
  std::string_view words[4];
  WordsIn(parser->value.text, parser->value.text + parser->value.maxLength + 1, words);
  for (std::string_view& word : words) word = StoredWord(word);
  const std::string_view feature1 = FeatureOf(words[0]);
  if (feature1.empty()) return PPDERR_SYNTAX;
  if (ppd->cUiConstraints >= PPD_MAX_LIST_ITEMS) return PPDERR_FULL;
  const bool hasOption1 = !words[1].empty() && words[1].front() != '*';
  const std::string_view option1 = hasOption1 ? words[1] : std::string_view();
  const std::string_view feature2 = FeatureOf(hasOption1 ? words[2] : words[1]);
  const std::string_view option2 = hasOption1 ? words[3] : words[2];
  // The value from feature1 to the end of the last text is copied behind the
  // record in one piece, and each text is cut off there by a terminator
  // (over the space behind it, or the rest of a word too long to keep).
  const CHAR* const first = feature1.data();
  const CHAR* last = first + feature1.size();
  for (const std::string_view text : {option1, feature2, option2}) {
    if (!text.empty()) last = text.data() + text.size();
  }
  const auto copied = static_cast<ULONG>(last - first);
  auto* constraint =
      static_cast<UICONSTRAINT*>(HEAPOBJ_Alloc(ppd->heap, sizeof(UICONSTRAINT) + copied + 1));
  if (constraint == nullptr) return PPDERR_MEMORY;
  if (feature2.empty()) return PPDERR_SYNTAX;
  std::memset(constraint, 0, sizeof(UICONSTRAINT));
  CHAR* const copy = reinterpret_cast<CHAR*>(constraint + 1);
  std::memcpy(copy, first, copied);
  auto place = [copy, first](std::string_view text) {
    CHAR* const textCopy = copy + (text.data() - first);
    textCopy[text.size()] = '\0';
    return textCopy;
  };
  constraint->header.name = place(feature1);
  if (hasOption1) constraint->option1 = place(option1);
  constraint->feature2 = place(feature2);
  if (!option2.empty()) constraint->option2 = place(option2);
  LISTOBJ_Append(&ppd->uiConstraints, &ppd->lastUiConstraint, &constraint->header);
  ++ppd->cUiConstraints;
  return PPDERR_NONE;
}

WORD NullProc(PPDOBJ*, PARSEROBJ*) { return PPDERR_NONE; }
