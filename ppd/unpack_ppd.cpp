// UnpackPpdData: turns the offsets of a packed image into pointers in place.
#include "ppd/packed_image.h"
#include "ppd/records.h"

namespace {

// Points *field into the image at the offset it holds, when the piece of
// `size` bytes there lies inside the image; else (and for 0) NULL.
template <typename T>
void Relocate(PPDOBJ* image, T** field, ULONG_PTR size) {
  const auto offset = reinterpret_cast<ULONG_PTR>(*field);
  if (offset == 0 || offset >= image->imageSize || image->imageSize - offset < size) {
    *field = nullptr;
    return;
  }
  *field = reinterpret_cast<T*>(reinterpret_cast<BYTE*>(image) + offset);
}

// A string field: its first byte must lie inside the image.
template <typename T>
void RelocateString(PPDOBJ* image, T** field) {
  Relocate(image, field, sizeof(T));
}

// A table field: the table's header and entries must lie inside the image.
void RelocateTable(PPDOBJ* image, BYTE** field) {
  Relocate(image, field, sizeof(PPDTABLE));
  if (*field == nullptr) return;
  const auto* table = reinterpret_cast<const PPDTABLE*>(*field);
  const ULONG_PTR end = static_cast<ULONG_PTR>(*field - reinterpret_cast<BYTE*>(image)) +
                        sizeof(PPDTABLE) + ULONG_PTR{table->count} * table->entrySize;
  if (end > image->imageSize) *field = nullptr;
}

// The link to the next item and the name of a list record of `size` bytes.
void RelocateListHeader(PPDOBJ* image, LISTOBJ* item, ULONG size) {
  Relocate(image, &item->next, size);
  RelocateString(image, &item->name);
}

void UnpackOption(PPDOBJ* image, UIOPTION* option, WORD kind) {
  RelocateString(image, &option->translation);
  RelocateString(image, &option->invocation);
  if (kind == UIGRP_PAGESIZE) {
    RelocateString(image, &ListRecord<MEDIAOPTION>(&option->header)->pageRegionCode);
  } else if (kind == UIGRP_RESOLUTION) {
    auto* resolution = ListRecord<RESOPTION>(&option->header);
    RelocateString(image, &resolution->jclResolutionCode);
    RelocateString(image, &resolution->setResolutionCode);
  }
}

void UnpackGroup(PPDOBJ* image, UIGROUP* group) {
  RelocateString(image, &group->translation);
  Relocate(image, &group->options, group->optionSize);
  if (group->kind < MAX_PREDEFINED_GROUPS) image->predefinedGroups[group->kind] = group;
  for (LISTOBJ* item = group->options; item != nullptr; item = item->next) {
    RelocateListHeader(image, item, group->optionSize);
    UnpackOption(image, ListRecord<UIOPTION>(item), group->kind);
  }
}

}  // namespace

void UnpackPpdData(PPDOBJ* image) {
  RelocateString(image, &image->fileName);
  RelocateString(image, &image->nickName);
  RelocateString(image, &image->password);
  RelocateString(image, &image->exitServer);
  RelocateString(image, &image->customPageCode);
  RelocateString(image, &image->jclBegin);
  RelocateString(image, &image->jclToPs);
  RelocateString(image, &image->jclEnd);
  Relocate(image, &image->deviceFonts, sizeof(DEVFONT));
  Relocate(image, &image->uiGroups, sizeof(UIGROUP));
  RelocateTable(image, &image->orderDepTable);
  RelocateTable(image, &image->uiConstraintTable);

  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    RelocateListHeader(image, item, sizeof(DEVFONT));
    RelocateString(image, &ListRecord<DEVFONT>(item)->translation);
  }
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next) {
    RelocateListHeader(image, item, sizeof(UIGROUP));
    UnpackGroup(image, ListRecord<UIGROUP>(item));
  }
}
