// The packed description image: a parsed description (ppd/records.h, parse
// form) copied into one pool allocation that a device instance keeps for its
// whole life and frees in one piece.
//
// Layout, from the image's first byte (the allocation is zero-filled, so
// every gap is zero):
//   1. the PPDOBJ header (PPDOBJ_HEADER_SIZE bytes: imageSize through
//      uiConstraints);
//   2. the header's strings: fileName (UTF-16), nickName, password,
//      exitServer, customPageCode, jclBegin, jclToPs, jclEnd;
//   3. the order-dependency table, then the constraint table;
//   4. the uiGroups list (each group with its name, translation and options,
//      before the next group), then the deviceFonts list.
// A string takes its bytes and NUL rounded up to a multiple of 4; a table
// takes 4 bytes plus its entries. Every list record starts on a multiple of
// alignof(void*). While packed, each string and list field holds the offset
// of its data from the image start (0 for NULL); UnpackPpdData turns the
// offsets into pointers in place, so readers use the record layout of
// ppd/records.h.
//
// Packing normalises on the way: the InputSlot group's RequiresPageRegion
// for all slots overrides the slots' own, freeVm is raised to at least
// PPD_MIN_FREEVM, a custom page size without a maximum media size is
// dropped, paper sizes and imageable areas are made consistent, a group's
// default option becomes its index (the Resolution group's: the default
// resolution in dots per inch), and the groups are ordered document-sticky
// first, then printer-sticky.
//
// Locking: PpdCreate parses under the description lock
// (ppd/parser/description_lock.h). A finished image is only read, by any
// thread.
#pragma once

#include "engine/types.h"
#include "ppd/records.h"

inline constexpr WORD PPD_FORMAT_VERSION = 3;
// Printer memory below this many bytes is packed as this many.
inline constexpr ULONG PPD_MIN_FREEVM = 102400;
// The Resolution group's packed default when its keyword gives no positive
// number of dots per inch.
inline constexpr ULONG PPD_DEFAULT_RESOLUTION = 300;

// Option index of a table entry that names no option: any option of the
// feature (constraints), or the feature as a whole (order dependencies).
inline constexpr WORD PPD_ANY_OPTION = 255;
// Feature index of a table entry whose feature or option was not found.
inline constexpr WORD PPD_UNRESOLVED = 0xFFFF;

// Both tables begin with this header; the entries follow at offset 4.
struct PPDTABLE {
  WORD count;      // number of entries
  WORD entrySize;  // bytes per entry
};

// One order dependency, in the table the orderDepTable field points to.
struct ORDERDEPENTRY {
  WORD featureIndex;  // position in uiGroups; PPD_UNRESOLVED when not found,
                      // or when the option lies at PPD_ANY_OPTION or beyond
  WORD optionIndex;   // position in the feature's options; PPD_ANY_OPTION
  LONG order;         // real
  WORD section;       // SECTION_*
  WORD reserved;      // 0
};

// One constraint, in the table the uiConstraintTable field points to:
// option1 of feature1 forbids option2 of feature2. feature1 is
// PPD_UNRESOLVED when any of the four was not found, or an option lies at a
// position a selection byte cannot hold (PPD_ANY_OPTION and beyond); such an
// entry never applies.
struct CONSTRAINTENTRY {
  WORD feature1;
  WORD option1;  // PPD_ANY_OPTION: any option of feature1
  WORD feature2;
  WORD option2;  // PPD_ANY_OPTION: any option of feature2
};

static_assert(sizeof(PPDTABLE) == 4);
static_assert(sizeof(ORDERDEPENTRY) == 12);
static_assert(sizeof(CONSTRAINTENTRY) == 8);

// The driver's description: the built-in card entries (PPDOBJ_Create),
// packed and unpacked. NULL when the parse, the image allocation or the
// unpacking fails.
PPDOBJ* PpdCreate(const WCHAR* fileName);

// The image of a description parsed from elsewhere, such as a PPD file read
// with PPDFILE_Read: packed and unpacked as PpdCreate does. The parse form is
// always deleted; NULL (for either) when there is no image.
PPDOBJ* PpdCreateFromParsed(PPDOBJ* ppd);

// Frees an image (one pool allocation). NULL is ignored.
void PpdDelete(PPDOBJ* image);

// Normalises the parse form, packs it into a new image (offsets, not yet
// unpacked) and deletes the parse form whether or not that succeeded. NULL
// when the image cannot be allocated or would exceed 4 GB.
PPDOBJ* PackPpdData(PPDOBJ* ppd);

// The size in bytes of the image of ppd. With dst (zero-filled, at least that
// size) it also writes the image; without, it only sizes it, and normalises
// the paper sizes and imageable areas of the parse form on the way.
// Returns 0 when the image would exceed 4 GB.
ULONG DoPackPpd(BYTE* dst, PPDOBJ* ppd);

// Reorders uiGroups: the document-sticky groups (installable 0), then the
// printer-sticky ones, each part in description order; sets the two sticky
// counts and every group's featureIndex (its position within its part).
void PpdSortUiGroups(PPDOBJ* ppd);

// Turns the offsets of a packed image of cbImage bytes (the size of its
// block) into pointers, in place, and rebuilds predefinedGroups. FALSE for a
// damaged image, which is then only fit to be freed: an imageSize other than
// cbImage, a piece outside the image, misaligned or overlapping the piece
// laid out before it, a string without its terminator inside the image, a
// table whose entry size is not its own, a group of an unknown kind or whose
// optionSize is not its kind's. A damaged image is never read outside.
BOOL UnpackPpdData(PPDOBJ* image, ULONG cbImage);

// The tables of an unpacked image, and their entries.
inline const PPDTABLE* PpdOrderDepTable(const PPDOBJ* image) {
  return reinterpret_cast<const PPDTABLE*>(image->orderDepTable);
}
inline const PPDTABLE* PpdConstraintTable(const PPDOBJ* image) {
  return reinterpret_cast<const PPDTABLE*>(image->uiConstraintTable);
}
inline const ORDERDEPENTRY* PpdOrderDepEntries(const PPDTABLE* table) {
  return reinterpret_cast<const ORDERDEPENTRY*>(table + 1);
}
inline const CONSTRAINTENTRY* PpdConstraintEntries(const PPDTABLE* table) {
  return reinterpret_cast<const CONSTRAINTENTRY*>(table + 1);
}
