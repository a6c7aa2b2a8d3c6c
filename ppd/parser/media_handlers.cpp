#include "ppd/parser/media_handlers.h"

#include <cstring>

#include "lib/block_heap.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/ui_handlers.h"
#include "ppd/parser/value_scan.h"

namespace {

constexpr STRTABLE customParamStrs[] = {
    {"Width", CUSTOMPARAM_WIDTH},
    {"Height", CUSTOMPARAM_HEIGHT},
    {"WidthOffset", CUSTOMPARAM_WIDTHOFFSET},
    {"HeightOffset", CUSTOMPARAM_HEIGHTOFFSET},
    {"Orientation", CUSTOMPARAM_ORIENTATION},
    {nullptr, MAX_CUSTOMPARAMS},
};

constexpr STRTABLE customTypeStrs[] = {
    {"int", CUSTOMTYPE_INT},
    {"real", CUSTOMTYPE_REAL},
    {"points", CUSTOMTYPE_POINTS},
    {nullptr, 3},
};

constexpr STRTABLE encodingStrs[] = {
    {"Standard", 0}, {"Special", 1}, {"ISOLatin1", 2}, {"Expert", 3},    {"ExpertSubset", 4},
    {"JIS", 5},      {"RKSJ", 6},    {"EUC", 7},       {"Shift-JIS", 8}, {nullptr, 9},
};
constexpr WORD kUnknownEncoding = 9;

constexpr STRTABLE charsetStrs[] = {
    {"Standard", 0}, {"OldStandard", 1}, {"Special", 2},      {"ISOLatin1", 3},
    {"Expert", 4},   {"ExpertSubset", 5}, {"JIS-83", 6},      {"JIS-78", 7},
    {"83pv", 8},     {"Add", 9},          {"Ext", 10},        {"NWP", 11},
    {nullptr, 12},
};

// The fonts the driver knows, coded by their position from 1.
constexpr STRTABLE fontNameStrs[] = {
    {"Arial", 1},
    {"Arial-Bold", 2},
    {"Arial-BoldOblique", 3},
    {"Arial-Oblique", 4},
    {"Arial-Narrow", 5},
    {"Arial-Narrow-Bold", 6},
    {"Arial-Narrow-BoldOblique", 7},
    {"Arial-Narrow-Oblique", 8},
    {"AvantGarde-Book", 9},
    {"AvantGarde-BookOblique", 10},
    {"AvantGarde-Demi", 11},
    {"AvantGarde-DemiOblique", 12},
    {"Bookman-Demi", 13},
    {"Bookman-DemiItalic", 14},
    {"Bookman-Light", 15},
    {"Bookman-LightItalic", 16},
    {"Courier", 17},
    {"Courier-Bold", 18},
    {"Courier-BoldOblique", 19},
    {"Courier-Oblique", 20},
    {"Garamond-Bold", 21},
    {"Garamond-BoldItalic", 22},
    {"Garamond-Light", 23},
    {"Garamond-LightItalic", 24},
    {"Helvetica", 25},
    {"Helvetica-Black", 26},
    {"Helvetica-BlackOblique", 27},
    {"Helvetica-Bold", 28},
    {"Helvetica-BoldOblique", 29},
    {"Helvetica-Condensed", 30},
    {"Helvetica-Condensed-Bold", 31},
    {"Helvetica-Condensed-BoldObl", 32},
    {"Helvetica-Condensed-Oblique", 33},
    {"Helvetica-Light", 34},
    {"Helvetica-LightOblique", 35},
    {"Helvetica-Narrow", 36},
    {"Helvetica-Narrow-Bold", 37},
    {"Helvetica-Narrow-BoldOblique", 38},
    {"Helvetica-Narrow-Oblique", 39},
    {"Helvetica-Oblique", 40},
    {"Korinna-Bold", 41},
    {"Korinna-KursivBold", 42},
    {"Korinna-KursivRegular", 43},
    {"Korinna-Regular", 44},
    {"LubalinGraph-Book", 45},
    {"LubalinGraph-BookOblique", 46},
    {"LubalinGraph-Demi", 47},
    {"LubalinGraph-DemiOblique", 48},
    {"NewCenturySchlbk-Bold", 49},
    {"NewCenturySchlbk-BoldItalic", 50},
    {"NewCenturySchlbk-Italic", 51},
    {"NewCenturySchlbk-Roman", 52},
    {"Palatino-Bold", 53},
    {"Palatino-BoldItalic", 54},
    {"Palatino-Italic", 55},
    {"Palatino-Roman", 56},
    {"Souvenir-Demi", 57},
    {"Souvenir-DemiItalic", 58},
    {"Souvenir-Light", 59},
    {"Souvenir-LightItalic", 60},
    {"Symbol", 61},
    {"Times-Bold", 62},
    {"Times-BoldItalic", 63},
    {"Times-Italic", 64},
    {"Times-Roman", 65},
    {"Times-New-Roman", 66},
    {"Times-New-Roman-Bold", 67},
    {"Times-New-Roman-BoldItalic", 68},
    {"Times-New-Roman-Italic", 69},
    {"Varitimes#Bold", 70},
    {"Varitimes#BoldItalic", 71},
    {"Varitimes#Italic", 72},
    {"Varitimes#Roman", 73},
    {"ZapfCalligraphic-Bold", 74},
    {"ZapfCalligraphic-BoldItalic", 75},
    {"ZapfCalligraphic-Italic", 76},
    {"ZapfCalligraphic-Roman", 77},
    {"ZapfChancery-MediumItalic", 78},
    {"ZapfDingbats", 79},
    {nullptr, 0},
};

constexpr bool FontCodesArePositions() {
  WORD position = 1;
  for (const STRTABLE& row : fontNameStrs) {
    if (row.word != nullptr && row.code != position++) return false;
  }
  return position == 80;
}
static_assert(FontCodesArePositions());

// Notes which resolution code came last, then sets one code of the
// statement's resolution option.
WORD SetResolutionField(PPDOBJ* ppd, PARSEROBJ* parser, WORD codeKind,
                        CHAR** (*field)(RESOPTION*), ULONG mode) {
  ppd->resolutionCodeKind = codeKind;
  RESOPTION* resolution;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_RESOLUTION, &resolution);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(field(resolution), &parser->value, ppd->heap, mode);
}

// Skips behind the next double quote, or to the end of the text.
const CHAR* SkipPastQuote(const CHAR* p) {
  while (*p != '\0' && *p != '"') ++p;
  return *p == '"' ? p + 1 : p;
}

}  // namespace

WORD GetFontIndex(const CHAR* name) {
  WORD code;
  SearchStringTable(fontNameStrs, name, &code);
  return code;
}

WORD GetFontEncoding(const CHAR* word) {
  WORD code;
  SearchStringTable(encodingStrs, word, &code);
  return code;
}

WORD GetCharSet(const CHAR* word) {
  WORD code;
  SearchStringTable(charsetStrs, word, &code);
  return code;
}

WORD MaxMediaWidthProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetRealValue(&ppd->maxMediaWidth, parser->value.text);
}

WORD MaxMediaHeightProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetRealValue(&ppd->maxMediaHeight, parser->value.text);
}

WORD ScreenAngleProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetRealValue(&ppd->screenAngle, parser->value.text);
}

WORD ScreenFreqProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetRealValue(&ppd->screenFreq, parser->value.text);
}

WORD FreeVmProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return GetIntegerValue(&ppd->freeVm, parser->value.text);
}

WORD InputSlotProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  INPUTSLOTOPTION* slot;
  WORD result = CreateKindOption(ppd, parser, UIGRP_INPUTSLOT, &slot);
  if (result != PPDERR_NONE) return result;
  result = GetStringValue(&slot->option.invocation, &parser->value, ppd->heap, STRMODE_INVOCATION);
  if (result != PPDERR_NONE) return result;
  slot->requiresPageRegion = TRUE;
  return PPDERR_NONE;
}

WORD ResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return SetResolutionField(
      ppd, parser, RESCODE_RESOLUTION,
      [](RESOPTION* resolution) { return &resolution->option.invocation; }, STRMODE_INVOCATION);
}

WORD JclResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return SetResolutionField(
      ppd, parser, RESCODE_JCLRESOLUTION,
      [](RESOPTION* resolution) { return &resolution->jclResolutionCode; }, STRMODE_QUOTED);
}

WORD SetResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  return SetResolutionField(
      ppd, parser, RESCODE_SETRESOLUTION,
      [](RESOPTION* resolution) { return &resolution->setResolutionCode; }, STRMODE_INVOCATION);
}

WORD ResScreenAngleProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  RESOPTION* resolution;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_RESOLUTION, &resolution);
  if (result != PPDERR_NONE) return result;
  return GetRealValue(&resolution->screenAngle, parser->value.text);
}

WORD ResScreenFreqProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  RESOPTION* resolution;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_RESOLUTION, &resolution);
  if (result != PPDERR_NONE) return result;
  return GetRealValue(&resolution->screenFreq, parser->value.text);
}

WORD InstalledMemProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  VMOPTION* vm;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_VMOPTION, &vm);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(&vm->option.invocation, &parser->value, ppd->heap, STRMODE_INVOCATION);
}

WORD VmOptionProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  VMOPTION* vm;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_VMOPTION, &vm);
  if (result != PPDERR_NONE) return result;
  return GetIntegerValue(&vm->vmSize, parser->value.text);
}

WORD CustomPageSizeProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  ULONG supported;
  GetBooleanValue(&supported, parser->option.text);
  if (!supported) return PPDERR_NONE;
  ppd->customPageSize = TRUE;
  return GetStringValue(&ppd->customPageCode, &parser->value, ppd->heap, STRMODE_INVOCATION);
}

WORD ParamCustomPageProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  WORD parameter;
  if (!SearchStringTable(customParamStrs, parser->option.text, &parameter)) return PPDERR_NONE;
  const CHAR* cursor = parser->value.text;
  CHAR word[MAX_WORD_LEN];
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) == 0) return PPDERR_SYNTAX;
  ULONG order;
  WORD result = GetIntegerValue(&order, word);
  if (result != PPDERR_NONE) return result;
  if (order < 1 || order > MAX_CUSTOMPARAMS) return PPDERR_SYNTAX;
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) == 0) return PPDERR_SYNTAX;
  WORD type;
  if (!SearchStringTable(customTypeStrs, word, &type)) return PPDERR_NONE;
  LONG minimum;
  result = ReadRealWord(&cursor, &minimum);
  if (result != PPDERR_NONE) return result;
  LONG maximum;
  result = ReadRealWord(&cursor, &maximum);
  if (result != PPDERR_NONE) return result;
  CUSTOMPARAM& param = ppd->customPageParams[parameter];
  param.order = order;
  param.type = type;
  param.minimum = minimum;
  param.maximum = maximum;
  return PPDERR_NONE;
}

WORD HwMarginsProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  LONG margins[4];
  const CHAR* cursor = parser->value.text;
  for (LONG& margin : margins) {
    const WORD result = ReadRealWord(&cursor, &margin);
    if (result != PPDERR_NONE) return result;
  }
  ppd->hwMargins = {margins[0], margins[1], margins[2], margins[3]};
  ppd->hwMarginsSet = TRUE;
  return PPDERR_NONE;
}

WORD RequiresPageRgnProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  if (std::strcmp(parser->option.text, "All") == 0) {
    UIGROUP* group;
    const WORD result = CreateUiGroup(ppd, UIGRP_INPUTSLOT, parser->keyword.text, &group);
    if (result != PPDERR_NONE) return result;
    ULONG required;
    if (GetBooleanValue(&required, parser->value.text) != PPDERR_NONE) return PPDERR_SYNTAX;
    group->flags |= required ? UIGF_REQUIRESPAGERGN_TRUE : UIGF_REQUIRESPAGERGN_FALSE;
    return PPDERR_NONE;
  }
  INPUTSLOTOPTION* slot;
  const WORD result = CreateKindOption(ppd, parser, UIGRP_INPUTSLOT, &slot);
  if (result != PPDERR_NONE) return result;
  GetBooleanValue(&slot->requiresPageRegion, parser->value.text);
  return PPDERR_NONE;
}

WORD DefaultJclResProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  UIGROUP* group;
  const WORD result = CreateUiGroup(ppd, UIGRP_RESOLUTION, parser->keyword.text, &group);
  if (result != PPDERR_NONE) return result;
  return GetStringValue(&group->defaultOption, &parser->value, ppd->heap, STRMODE_PLAIN);
}

WORD FontProc(PPDOBJ* ppd, PARSEROBJ* parser) {
  const WORD fontIndex = GetFontIndex(parser->option.text);
  if (fontIndex == 0) return PPDERR_NONE;
  WORD encoding = 0;
  WORD charSet = 0;
  const CHAR* cursor = parser->value.text;
  CHAR word[MAX_WORD_LEN];
  if (GetWordStr(&cursor, MAX_WORD_LEN, word) != 0) encoding = GetFontEncoding(word);
  if (encoding < kUnknownEncoding) {
    // Pass over the quoted version string.
    cursor = SkipPastQuote(SkipPastQuote(cursor));
    if (GetWordStr(&cursor, MAX_WORD_LEN, word) != 0) charSet = GetCharSet(word);
  }
  if (LISTOBJ_Find(ppd->deviceFonts, parser->option.text) != nullptr) return PPDERR_NONE;
  auto* font = static_cast<DEVFONT*>(HEAPOBJ_Alloc(ppd->heap, sizeof(DEVFONT)));
  if (font == nullptr) return PPDERR_MEMORY;
  std::memset(font, 0, sizeof(DEVFONT));
  font->fontIndex = fontIndex;
  font->encoding = encoding;
  font->charSet = charSet;
  WORD result = GetStringValue(&font->header.name, &parser->option, ppd->heap, STRMODE_PLAIN);
  if (result != PPDERR_NONE) return result;
  result = GetStringValue(&font->translation, &parser->translation, ppd->heap, STRMODE_QUOTED);
  if (result != PPDERR_NONE) return result;
  LISTOBJ_Add(&ppd->deviceFonts, &font->header);
  return PPDERR_NONE;
}
