// Queries on an unpacked description image (ppd/packed_image.h): options by
// name, the default selections of the sticky features, the constraints
// between selections, and the small bit arrays a device instance keeps.
//
// A feature is addressed by its position in the image's uiGroups: the
// document-sticky features take 0 to docStickyCount - 1, the printer-sticky
// ones follow. A selection array holds one byte per feature of one class, in
// feature order: the chosen option's position, or PPD_NO_SELECTION. The
// device mode keeps the document-sticky array, the printer properties the
// printer-sticky one.
#pragma once

#include "engine/types.h"
#include "ppd/packed_image.h"
#include "ppd/records.h"

// A selection byte that chooses no option.
inline constexpr BYTE PPD_NO_SELECTION = 0xFF;

// Options by name.

// The first option, from `options` on, whose translation equals name, or
// whose keyword does (case-sensitive); *pIndex receives its position from
// `options`, or LISTOBJ_NOT_FOUND (also for a position beyond 16 bits, as
// LISTOBJ_FindItemIndex gives it). Used to match a form name against the
// paper sizes' display texts and keywords.
UIOPTION* PpdFindUiOptionWithXlation(LISTOBJ* options, const CHAR* name, WORD* pIndex);

// The invocation of the group's option "True" (bFlag not 0) or "False";
// NULL when the group is NULL or has no such option.
CHAR* FindBooleanOptionCode(UIGROUP* group, BOOL bFlag);

// FindBooleanOptionCode on the Collate group.
CHAR* PpdFindCollateCode(PPDOBJ* hppd, BOOL bFlag);

// TRUE when the description has a Duplex group with at least one option.
BOOL PpdSupportDuplex(PPDOBJ* hppd);

// The group at position `feature` in uiGroups and its option at position
// `option`. Both outputs are cleared first; TRUE only when both exist.
// feature LISTOBJ_NOT_FOUND and option PPD_ANY_OPTION find nothing.
BOOL PpdFindFeatureSelection(PPDOBJ* hppd, WORD feature, WORD option, UIGROUP** ppGroup,
                             UIOPTION** ppOption);

// TRUE when that option exists and its keyword is "None" or "False".
BOOL FeatureSelectionNone(PPDOBJ* hppd, WORD feature, WORD option);

// Default selections.

// Fills sel (room for docStickyCount bytes) with each document-sticky
// feature's default option; PPD_NO_SELECTION for the Resolution feature,
// whose packed default is a resolution. A selection byte holds the low byte
// of the packed default. Returns docStickyCount.
WORD PpdDefaultDocumentStickyFeatures(PPDOBJ* hppd, BYTE* sel);

// Fills sel (room for printerStickyCount bytes) with each printer-sticky
// feature's default option (the low byte of its packed default), then
// resolves the conflicts among them: a selection that a constraint forbids
// moves to the feature's first allowed option, or, when every option is
// forbidden, the forbidding feature moves to its first option that allows
// it. Returns printerStickyCount.
WORD PpdDefaultPrinterStickyFeatures(PPDOBJ* hppd, BYTE* sel);

// Constraints.

// TRUE when a constraint entry forbids option o2 of feature f2 while option
// o1 of feature f1 is chosen (global feature indexes). An entry for any
// option of a feature never fires for that feature's "None" or "False".
BOOL SearchUiConstraints(PPDOBJ* hppd, WORD f1, WORD o1, WORD f2, WORD o2);

// Whether option `option` of a feature is forbidden by the other selections.
// With dsel NULL, feature is a printer-sticky feature (index within its
// class) checked against the printer-sticky selections psel. With dsel, it
// is a document-sticky feature checked against the other document-sticky
// selections, then against psel.
// Returns 0 when allowed, else the conflict code: bits 0 to 7 the forbidding
// selection's option; from bit 8 its global feature index OR
// PPD_CONFLICT_PRINTER (printer-sticky) or PPD_CONFLICT_DOCUMENT.
DWORD PpdFeatureConstrained(PPDOBJ* hppd, const BYTE* psel, const BYTE* dsel, WORD feature,
                            WORD option);

inline constexpr WORD PPD_CONFLICT_PRINTER = 0x100;
inline constexpr WORD PPD_CONFLICT_DOCUMENT = 0x200;

// Bit arrays: a count of bits, then (count + 7) / 8 bytes of bits, in one
// allocation of a tracked heap (lib/tracked_heap.h).

struct BITARRAY {
  ULONG cBits;  // the bytes follow the count
};

// A new array of cBits zeroed bits, or NULL when the heap is exhausted.
BITARRAY* BitArrayCreate(HANDLE hHeap, ULONG cBits);

// A copy of pArray (its count and every byte) in hHeap; NULL when pArray is
// NULL or the heap is exhausted.
BITARRAY* BitArrayDuplicate(HANDLE hHeap, const BITARRAY* pArray);

// The array's bytes.
inline BYTE* BitArrayBits(BITARRAY* pArray) { return reinterpret_cast<BYTE*>(pArray + 1); }
