// Making and freeing the packed description image: the normalisations of
// the parse form, the order of the groups, and the two packing passes.
#include "ppd/packed_image.h"

#include <cstring>

#include "engine/services.h"
#include "lib/pool_tags.h"
#include "ppd/parser/parser.h"

namespace {

// RequiresPageRegion for all slots, when the description gave it, overrides
// what each slot says.
void ApplyRequiresPageRegionForAll(PPDOBJ* ppd) {
  const UIGROUP* slots = ppd->predefinedGroups[UIGRP_INPUTSLOT];
  if (slots == nullptr) return;
  if ((slots->flags & (UIGF_REQUIRESPAGERGN_TRUE | UIGF_REQUIRESPAGERGN_FALSE)) == 0) return;
  const ULONG required = (slots->flags & UIGF_REQUIRESPAGERGN_TRUE) != 0 ? 1 : 0;
  for (LISTOBJ* item = slots->options; item != nullptr; item = item->next) {
    ListRecord<INPUTSLOTOPTION>(item)->requiresPageRegion = required;
  }
}

}  // namespace

PPDOBJ* PpdCreate(const WCHAR* fileName) { return PpdCreateFromParsed(PPDOBJ_Create(fileName)); }

PPDOBJ* PpdCreateFromParsed(PPDOBJ* ppd) {
  PPDOBJ* image = PackPpdData(ppd);
  if (image != nullptr && !UnpackPpdData(image, image->imageSize)) {
    PpdDelete(image);
    return nullptr;
  }
  return image;
}

void PpdDelete(PPDOBJ* image) {
  if (image != nullptr) EngFreeMem(image);
}

PPDOBJ* PackPpdData(PPDOBJ* ppd) {
  if (ppd == nullptr) return nullptr;
  ApplyRequiresPageRegionForAll(ppd);
  PpdSortUiGroups(ppd);
  if (ppd->freeVm < PPD_MIN_FREEVM) ppd->freeVm = PPD_MIN_FREEVM;
  if (ppd->customPageSize != 0 && ppd->maxMediaWidth == 0 && ppd->maxMediaHeight == 0) {
    ppd->customPageSize = 0;
  }

  PPDOBJ* image = nullptr;
  const ULONG size = DoPackPpd(nullptr, ppd);
  auto* dst = size != 0 ? static_cast<BYTE*>(EngAllocMem(0, size, DRIVER_DESC_TAG)) : nullptr;
  if (dst != nullptr) {
    std::memset(dst, 0, size);
    DoPackPpd(dst, ppd);
    image = reinterpret_cast<PPDOBJ*>(dst);
    image->imageSize = size;
    image->formatVersion = PPD_FORMAT_VERSION;
    std::memset(image->predefinedGroups, 0, sizeof image->predefinedGroups);
  }
  PPDOBJ_Delete(ppd);
  return image;
}

void PpdSortUiGroups(PPDOBJ* ppd) {
  LISTOBJ* documentSticky = nullptr;
  LISTOBJ* printerSticky = nullptr;
  LISTOBJ** documentTail = &documentSticky;
  LISTOBJ** printerTail = &printerSticky;
  WORD cDocument = 0;
  WORD cPrinter = 0;
  for (LISTOBJ *item = ppd->uiGroups, *next; item != nullptr; item = next) {
    next = item->next;
    UIGROUP* group = ListRecord<UIGROUP>(item);
    if (group->installable == 0) {
      group->featureIndex = cDocument++;
      *documentTail = item;
      documentTail = &item->next;
    } else {
      group->featureIndex = cPrinter++;
      *printerTail = item;
      printerTail = &item->next;
    }
  }
  *documentTail = printerSticky;
  *printerTail = nullptr;
  ppd->uiGroups = documentSticky;
  ppd->docStickyCount = cDocument;
  ppd->printerStickyCount = cPrinter;
}
