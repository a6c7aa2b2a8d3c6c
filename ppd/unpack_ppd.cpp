// UnpackPpdData: checks a packed image and turns its offsets into pointers
// in place.
//
// The image is walked in the order the packer lays it out: header strings,
// the two tables, each group (record, name, translation, then its options,
// each with its name and strings), then the device fonts. Every piece must
// lie inside the image and start at or behind the end of the piece before
// it, so no two pieces overlap and every list ends. Sizes come from what the
// walk can trust: the block size the caller gives, the record types, and
// the option record size of a group's kind, never from a size field of the
// image alone.
#include <cstring>

#include "ppd/packed_image.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/records.h"

namespace {

constexpr ULONG_PTR kRecordAlign = alignof(void*);
constexpr ULONG_PTR kTableAlign = alignof(ORDERDEPENTRY);

struct UNPACKER {
  BYTE* base;       // the image
  ULONG_PTR size;   // its size in bytes
  ULONG_PTR floor;  // where the next piece may start
};

template <typename T>
ULONG_PTR OffsetOf(T* field) {
  return reinterpret_cast<ULONG_PTR>(field);
}

// Takes the piece of `size` bytes at `offset`: it must start at or behind
// the floor, on a multiple of `align`, and end inside the image.
bool TakePiece(UNPACKER* unpacker, ULONG_PTR offset, ULONG_PTR size, ULONG_PTR align) {
  if (offset < unpacker->floor || offset % align != 0 || offset > unpacker->size ||
      unpacker->size - offset < size) {
    return false;
  }
  unpacker->floor = offset + size;
  return true;
}

// A string field: 0 stays NULL; otherwise the string and its terminator
// must lie inside the image.
bool UnpackString(UNPACKER* unpacker, CHAR** field) {
  const ULONG_PTR offset = OffsetOf(*field);
  if (offset == 0) return true;
  if (offset < unpacker->floor || offset >= unpacker->size) return false;
  const void* nul = std::memchr(unpacker->base + offset, '\0', unpacker->size - offset);
  if (nul == nullptr) return false;
  unpacker->floor = static_cast<ULONG_PTR>(static_cast<const BYTE*>(nul) - unpacker->base) + 1;
  *field = reinterpret_cast<CHAR*>(unpacker->base + offset);
  return true;
}

bool UnpackWideString(UNPACKER* unpacker, WCHAR** field) {
  const ULONG_PTR offset = OffsetOf(*field);
  if (offset == 0) return true;
  if (!TakePiece(unpacker, offset, 0, alignof(WCHAR))) return false;
  for (ULONG_PTR at = offset; unpacker->size - at >= sizeof(WCHAR); at += sizeof(WCHAR)) {
    WCHAR c;
    std::memcpy(&c, unpacker->base + at, sizeof c);
    if (c == u'\0') {
      unpacker->floor = at + sizeof(WCHAR);
      *field = reinterpret_cast<WCHAR*>(unpacker->base + offset);
      return true;
    }
  }
  return false;
}

// A table field: its header and entries of the expected size must lie
// inside the image.
bool UnpackTable(UNPACKER* unpacker, BYTE** field, WORD entrySize) {
  const ULONG_PTR offset = OffsetOf(*field);
  if (offset == 0) return true;
  if (!TakePiece(unpacker, offset, sizeof(PPDTABLE), kTableAlign)) return false;
  const auto* table = reinterpret_cast<const PPDTABLE*>(unpacker->base + offset);
  if (table->entrySize != entrySize) return false;
  if (!TakePiece(unpacker, unpacker->floor, ULONG_PTR{table->count} * entrySize, 1)) return false;
  *field = unpacker->base + offset;
  return true;
}

// Walks a list whose records take `size` bytes: each record, its name and
// then what `fields` unpacks of it, before the next record.
template <typename Fields>
bool UnpackList(UNPACKER* unpacker, LISTOBJ** head, ULONG_PTR size, Fields fields) {
  for (LISTOBJ** link = head; *link != nullptr; link = &(*link)->next) {
    const ULONG_PTR offset = OffsetOf(*link);
    if (!TakePiece(unpacker, offset, size, kRecordAlign)) return false;
    *link = reinterpret_cast<LISTOBJ*>(unpacker->base + offset);
    if (!UnpackString(unpacker, &(*link)->name) || !fields(*link)) return false;
  }
  return true;
}

// The size of the option records of a group kind (UIGRP_OTHER: a group of
// any other name).
ULONG OptionSizeOfKind(WORD kind) {
  UIGROUPINFO info;
  GetUiGroupInfo(&info, kind, "");
  return info.optionSize;
}

bool UnpackOption(UNPACKER* unpacker, UIOPTION* option, WORD kind) {
  if (!UnpackString(unpacker, &option->translation) ||
      !UnpackString(unpacker, &option->invocation)) {
    return false;
  }
  if (kind == UIGRP_PAGESIZE) {
    return UnpackString(unpacker, &ListRecord<MEDIAOPTION>(&option->header)->pageRegionCode);
  }
  if (kind == UIGRP_RESOLUTION) {
    auto* resolution = ListRecord<RESOPTION>(&option->header);
    return UnpackString(unpacker, &resolution->jclResolutionCode) &&
           UnpackString(unpacker, &resolution->setResolutionCode);
  }
  return true;
}

bool UnpackGroup(UNPACKER* unpacker, PPDOBJ* image, UIGROUP* group) {
  if (group->kind > UIGRP_OTHER || group->optionSize != OptionSizeOfKind(group->kind)) return false;
  if (!UnpackString(unpacker, &group->translation)) return false;
  if (group->kind < MAX_PREDEFINED_GROUPS) image->predefinedGroups[group->kind] = group;
  return UnpackList(unpacker, &group->options, group->optionSize, [&](LISTOBJ* item) {
    return UnpackOption(unpacker, ListRecord<UIOPTION>(item), group->kind);
  });
}

}  // namespace

BOOL UnpackPpdData(PPDOBJ* image, ULONG cbImage) {
  if (cbImage < PPDOBJ_HEADER_SIZE || image->imageSize != cbImage) return FALSE;
  std::memset(image->predefinedGroups, 0, sizeof image->predefinedGroups);
  UNPACKER unpacker{reinterpret_cast<BYTE*>(image), cbImage, PPDOBJ_HEADER_SIZE};
  UNPACKER* u = &unpacker;
  const bool whole =
      UnpackWideString(u, &image->fileName) && UnpackString(u, &image->nickName) &&
      UnpackString(u, &image->password) && UnpackString(u, &image->exitServer) &&
      UnpackString(u, &image->customPageCode) && UnpackString(u, &image->jclBegin) &&
      UnpackString(u, &image->jclToPs) && UnpackString(u, &image->jclEnd) &&
      UnpackTable(u, &image->orderDepTable, sizeof(ORDERDEPENTRY)) &&
      UnpackTable(u, &image->uiConstraintTable, sizeof(CONSTRAINTENTRY)) &&
      UnpackList(u, &image->uiGroups, sizeof(UIGROUP),
                 [&](LISTOBJ* item) { return UnpackGroup(u, image, ListRecord<UIGROUP>(item)); }) &&
      UnpackList(u, &image->deviceFonts, sizeof(DEVFONT), [&](LISTOBJ* item) {
        return UnpackString(u, &ListRecord<DEVFONT>(item)->translation);
      });
  return whole ? TRUE : FALSE;
}
