// Records of a parsed printer description. The parser builds them in a block
// heap (parse form); the packer copies them into one image and turns the
// image's offsets back into pointers (image form), so both forms share one
// layout. Strings are 8-bit and NUL-terminated (fileName is UTF-16), NULL
// when the entry was absent; lists are singly linked LISTOBJ items, NULL when
// empty; reals are PS reals (value x 256, lengths in points); booleans are
// 32-bit words holding 0 or 1.
//
// Every list item begins with a LISTOBJ header as its first member, so an
// item's LISTOBJ address is the record's address (ListRecord converts back).
#pragma once

#include <cstddef>
#include <type_traits>

#include "engine/types.h"

struct HEAPOBJ;

// The hash of a name: h = (h << 1) ^ byte over the bytes of the text, in 32
// bits. List items carry it as nameHash; the keyword table uses it too.
constexpr ULONG HashKeyword(const CHAR* text) {
  ULONG hash = 0;
  for (; *text != '\0'; ++text) hash = (hash << 1) ^ static_cast<BYTE>(*text);
  return hash;
}

// List item header.
struct LISTOBJ {
  LISTOBJ* next;   // next item, NULL at the end
  CHAR* name;      // the item's key: feature, option or font name
  ULONG nameHash;  // HashKeyword(name), set by LISTOBJ_Add
};

// Appends the item at the end of the list whose head *ppList is, after
// setting its nameHash. Lists keep the order their items were added in.
void LISTOBJ_Add(LISTOBJ** ppList, LISTOBJ* item);
// As LISTOBJ_Add without the walk, for long lists: *ppLast is the list's
// last item (NULL while the list is empty) and becomes the new item.
void LISTOBJ_Append(LISTOBJ** ppList, LISTOBJ** ppLast, LISTOBJ* item);
// The first item whose name equals `name` (case-sensitive), or NULL.
LISTOBJ* LISTOBJ_Find(LISTOBJ* list, const CHAR* name);
// As LISTOBJ_Find; *pIndex receives the item's 0-based position, or 0xFFFF
// when not found. An item at position 0xFFFF or beyond gets 0xFFFF too: 16
// bits cannot hold its position, and a wrapped one would name another item.
LISTOBJ* LISTOBJ_FindItemIndex(LISTOBJ* list, const CHAR* name, WORD* pIndex);
ULONG LISTOBJ_Count(const LISTOBJ* list);
// The item at 0-based position `index`, or NULL when the list is shorter.
LISTOBJ* LISTOBJ_FindIndexed(LISTOBJ* list, ULONG index);

inline constexpr WORD LISTOBJ_NOT_FOUND = 0xFFFF;

// The most features, order dependencies and constraints a description
// holds: the image counts them in 16 bits, and a feature's position must not
// reach LISTOBJ_NOT_FOUND.
inline constexpr ULONG PPD_MAX_LIST_ITEMS = 0xFFFF;

// The record whose first member (at any depth) is this list header.
template <typename Record>
Record* ListRecord(LISTOBJ* item) {
  static_assert(std::is_standard_layout_v<Record>);
  return reinterpret_cast<Record*>(item);
}

// Four PS reals: the order PPD gives margins and imageable areas in.
struct PSRECT {
  LONG left;
  LONG bottom;
  LONG right;
  LONG top;
};

// Option records. Every option begins with a UIOPTION; the records of the
// predefined groups add their own fields behind it. A group's optionSize is
// the size of the record its options have.
struct UIOPTION {
  LISTOBJ header;    // name = option keyword
  CHAR* translation; // display text
  CHAR* invocation;  // code that selects the option
};

// Options of the "InputSlot" group.
struct INPUTSLOTOPTION {
  UIOPTION option;
  ULONG requiresPageRegion;  // boolean, 1 when the slot is created
};

// Options of the "VMOption" group; option.invocation is the InstalledMemory
// code.
struct VMOPTION {
  UIOPTION option;
  ULONG vmSize;  // installed memory of this option, bytes
};

// One paper size, an option of the "PageSize" group; option.invocation is
// the PageSize code.
struct MEDIAOPTION {
  UIOPTION option;
  CHAR* pageRegionCode;
  LONG paperWidth;
  LONG paperHeight;
  PSRECT imageableArea;  // from the lower left corner of the sheet
};

// One resolution, an option of the "Resolution" group; option.invocation is
// the Resolution code.
struct RESOPTION {
  UIOPTION option;
  CHAR* jclResolutionCode;
  CHAR* setResolutionCode;
  LONG screenAngle;
  LONG screenFreq;
};

// Predefined group kinds (UIGROUP::kind, PPDOBJ::predefinedGroups index).
inline constexpr WORD UIGRP_PAGESIZE = 0;
inline constexpr WORD UIGRP_INPUTSLOT = 1;
inline constexpr WORD UIGRP_MANUALFEED = 2;
inline constexpr WORD UIGRP_DUPLEX = 3;
inline constexpr WORD UIGRP_COLLATE = 4;
inline constexpr WORD UIGRP_RESOLUTION = 5;
inline constexpr WORD UIGRP_VMOPTION = 6;
inline constexpr WORD UIGRP_OTHER = 7;
inline constexpr ULONG MAX_PREDEFINED_GROUPS = 7;

// UIGROUP::uiType.
inline constexpr WORD UITYPE_BOOLEAN = 0;
inline constexpr WORD UITYPE_PICKONE = 1;
inline constexpr WORD UITYPE_PICKMANY = 2;

// UIGROUP::flags.
inline constexpr WORD UIGF_REQUIRESPAGERGN_TRUE = 0x0001;   // RequiresPageRegion All: True
inline constexpr WORD UIGF_REQUIRESPAGERGN_FALSE = 0x0002;  // RequiresPageRegion All: False
inline constexpr WORD UIGF_JCLGROUP = 0x0004;  // opened by JCLOpenUI: quoted invocations

// One feature.
struct UIGROUP {
  LISTOBJ header;     // name = feature keyword without its asterisk
  CHAR* translation;  // display text
  union {
    CHAR* defaultOption;    // parse form: the Default entry's option keyword
    ULONG_PTR defaultIndex; // image form: index of the default option
                            // (Resolution: the default dots per inch)
  };
  ULONG optionSize;   // size of each option record
  WORD kind;          // UIGRP_*
  WORD flags;         // UIGF_*
  WORD uiType;        // UITYPE_*
  WORD featureIndex;  // set when packed: position within its sticky class
  ULONG installable;  // boolean: a printer-sticky feature
  LISTOBJ* options;
};

// UIGROUP_CountOptions: number of options; 0 for a NULL group.
ULONG UIGROUP_CountOptions(const UIGROUP* group);

// One device-resident font.
struct DEVFONT {
  LISTOBJ header;  // name = font name
  CHAR* translation;
  WORD encoding;   // code of the font's encoding word
  WORD charSet;    // code of the font's character set word
  WORD fontIndex;  // position in the built-in font table, from 1
};

// ORDERDEP::section.
inline constexpr WORD SECTION_EXITSERVER = 0x0001;
inline constexpr WORD SECTION_PROLOG = 0x0002;
inline constexpr WORD SECTION_DOCUMENTSETUP = 0x0004;
inline constexpr WORD SECTION_PAGESETUP = 0x0008;
inline constexpr WORD SECTION_JCLSETUP = 0x0010;
inline constexpr WORD SECTION_ANYSETUP = 0x0020;

// One order dependency. The feature keyword is stored in the same heap
// allocation right behind the record; header.name points at it.
struct ORDERDEP {
  LISTOBJ header;       // name = feature keyword
  CHAR* optionKeyword;  // NULL when the entry names only the feature
  LONG order;           // real
  WORD section;         // SECTION_*
};

// One constraint: feature1 set to option1 forbids feature2 set to option2.
// feature1 is stored in the same heap allocation right behind the record.
struct UICONSTRAINT {
  LISTOBJ header;  // name = feature1
  CHAR* option1;   // NULL: any option of feature1
  CHAR* feature2;
  CHAR* option2;   // NULL: any option of feature2
};

// PPDOBJ::protocols.
inline constexpr WORD PROTOCOL_PJL = 0x0001;
inline constexpr WORD PROTOCOL_BCP = 0x0002;
inline constexpr WORD PROTOCOL_TBCP = 0x0004;
inline constexpr WORD PROTOCOL_SIC = 0x0008;

// PPDOBJ::extensions.
inline constexpr WORD EXTENSION_DPS = 0x0001;
inline constexpr WORD EXTENSION_CMYK = 0x0002;
inline constexpr WORD EXTENSION_COMPOSITE = 0x0004;
inline constexpr WORD EXTENSION_FILESYSTEM = 0x0008;

// PPDOBJ::landscapeOrientation.
inline constexpr WORD LSO_ANY = 0;
inline constexpr WORD LSO_PLUS90 = 1;
inline constexpr WORD LSO_MINUS90 = 2;

// PPDOBJ::ttRasterizer.
inline constexpr WORD TTRAS_NONE = 0;
inline constexpr WORD TTRAS_ACCEPT68K = 1;
inline constexpr WORD TTRAS_TYPE42 = 2;
inline constexpr WORD TTRAS_TRUEIMAGE = 3;

// PPDOBJ::languageEncoding.
inline constexpr WORD LANGENC_NONE = 0;
inline constexpr WORD LANGENC_ISOLATIN1 = 1;
inline constexpr WORD LANGENC_JIS83_RKSJ = 2;
inline constexpr WORD LANGENC_MAXSTANDARD = 3;
inline constexpr WORD LANGENC_WINDOWSANSI = 4;

// PPDOBJ::resolutionCodeKind: which resolution code was given last.
inline constexpr WORD RESCODE_RESOLUTION = 0;
inline constexpr WORD RESCODE_JCLRESOLUTION = 1;
inline constexpr WORD RESCODE_SETRESOLUTION = 2;

// Index of PPDOBJ::customPageParams.
inline constexpr ULONG CUSTOMPARAM_WIDTH = 0;
inline constexpr ULONG CUSTOMPARAM_HEIGHT = 1;
inline constexpr ULONG CUSTOMPARAM_WIDTHOFFSET = 2;
inline constexpr ULONG CUSTOMPARAM_HEIGHTOFFSET = 3;
inline constexpr ULONG CUSTOMPARAM_ORIENTATION = 4;
inline constexpr ULONG MAX_CUSTOMPARAMS = 5;

// CUSTOMPARAM::type.
inline constexpr WORD CUSTOMTYPE_INT = 0;
inline constexpr WORD CUSTOMTYPE_REAL = 1;
inline constexpr WORD CUSTOMTYPE_POINTS = 2;

// One custom page parameter.
struct CUSTOMPARAM {
  ULONG order;   // 1 to 5
  WORD type;     // CUSTOMTYPE_*
  LONG minimum;  // real
  LONG maximum;  // real
};

// The root of one parsed description. The fields from imageSize through
// uiConstraints are also the header of the packed image; the fields behind
// them exist in the parse form only.
struct PPDOBJ {
  ULONG imageSize;          // 0 in parse form; image size in image form
  WCHAR* fileName;          // the printer data file name (UTF-16)
  CHAR* nickName;
  WORD formatVersion;       // 0 in parse form; 3 in image form
  WORD checksum;            // stays 0
  WORD protocols;           // PROTOCOL_*
  WORD landscapeOrientation;  // LSO_*
  WORD ttRasterizer;        // TTRAS_*
  WORD languageEncoding;    // LANGENC_*
  ULONG freeVm;             // bytes
  ULONG languageLevel;
  CHAR* password;
  CHAR* exitServer;
  ULONG jobTimeout;         // seconds
  ULONG waitTimeout;        // seconds
  ULONG colorDevice;        // boolean
  ULONG printPsErrors;      // boolean
  ULONG customPageSize;     // boolean
  ULONG hwMarginsSet;       // boolean
  PSRECT hwMargins;
  CHAR* customPageCode;
  CUSTOMPARAM customPageParams[MAX_CUSTOMPARAMS];  // CUSTOMPARAM_* index
  LONG maxMediaWidth;       // real
  LONG maxMediaHeight;      // real
  WORD extensions;          // EXTENSION_*
  WORD resolutionCodeKind;  // RESCODE_*
  LONG screenAngle;         // real
  LONG screenFreq;          // real
  CHAR* jclBegin;
  CHAR* jclEnd;
  CHAR* jclToPs;
  WORD docStickyCount;      // set when packed
  WORD printerStickyCount;  // set when packed
  LISTOBJ* uiGroups;        // UIGROUP items
  UIGROUP* predefinedGroups[MAX_PREDEFINED_GROUPS];  // by UIGRP_* kind
  LISTOBJ* deviceFonts;     // DEVFONT items
  union {
    LISTOBJ* orderDeps;     // parse form: ORDERDEP items
    BYTE* orderDepTable;    // image form: the order-dependency table
  };
  union {
    LISTOBJ* uiConstraints;     // parse form: UICONSTRAINT items
    BYTE* uiConstraintTable;    // image form: the constraint table
  };
  // Parse form only.
  HEAPOBJ* heap;            // the arena every record and string comes from
  UIGROUP* openUiGroup;     // non-predefined group opened and not yet closed
  ULONG inInstallableGroup; // boolean: inside the InstallableOptions group
  LISTOBJ* lastUiConstraint;  // the last item of uiConstraints, for appending
  LISTOBJ* lastOrderDep;      // the last item of orderDeps, for appending
  ULONG cUiGroups;            // items of uiGroups
  ULONG cOrderDeps;           // items of orderDeps
  ULONG cUiConstraints;       // items of uiConstraints
};

// The record sizes follow the pointer width: with 4-byte pointers they are
// the description's classic sizes.
inline constexpr bool kPointers32 = sizeof(void*) == 4;
static_assert(sizeof(LISTOBJ) == (kPointers32 ? 12 : 24));
static_assert(sizeof(UIOPTION) == (kPointers32 ? 20 : 40));
static_assert(sizeof(INPUTSLOTOPTION) == (kPointers32 ? 24 : 48));
static_assert(sizeof(VMOPTION) == (kPointers32 ? 24 : 48));
static_assert(sizeof(MEDIAOPTION) == (kPointers32 ? 48 : 72));
static_assert(sizeof(RESOPTION) == (kPointers32 ? 36 : 64));
static_assert(sizeof(UIGROUP) == (kPointers32 ? 40 : 64));
static_assert(sizeof(DEVFONT) == (kPointers32 ? 24 : 40));
static_assert(sizeof(ORDERDEP) == (kPointers32 ? 24 : 40));
static_assert(sizeof(UICONSTRAINT) == (kPointers32 ? 24 : 48));
static_assert(sizeof(CUSTOMPARAM) == 16);
// The packed image header: the PPDOBJ fields through uiConstraints.
inline constexpr ULONG PPDOBJ_HEADER_SIZE = offsetof(PPDOBJ, heap);
static_assert(PPDOBJ_HEADER_SIZE == (kPointers32 ? 244 : 336));
static_assert(offsetof(PPDOBJ, customPageParams) == (kPointers32 ? 84 : 112));
static_assert(offsetof(PPDOBJ, uiGroups) == (kPointers32 ? 200 : 248));
