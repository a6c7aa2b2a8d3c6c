// DoPackPpd: the walk that sizes a parse-form description and, given a
// destination, copies it into the packed image (ppd/packed_image.h).
#include <cstdint>
#include <cstring>

#include "engine/services.h"
#include "lib/pool_tags.h"
#include "ppd/packed_image.h"
#include "ppd/records.h"

namespace {

constexpr ULONG_PTR kPieceAlign = 4;
constexpr ULONG_PTR kRecordAlign = alignof(void*);
constexpr ULONG_PTR kMaxImageSize = 0xFFFFFFFF;
constexpr ULONG kMaxTableEntries = 0xFFFF;

constexpr ULONG_PTR RoundUp(ULONG_PTR size, ULONG_PTR align) {
  return (size + align - 1) & ~(align - 1);
}

// The names the tables resolved last. Constraints come in runs and pairs
// that name the same features and options again, so a few remembered
// lookups spare most walks of the lists.
struct LOOKUP {
  const LISTOBJ* list;  // the list searched
  const CHAR* name;     // the name sought (NULL: slot unused)
  ULONG hash;           // HashKeyword(name); IndexHash(name) in the index
  LISTOBJ* item;        // what was found, or NULL
  WORD index;           // its position, or LISTOBJ_NOT_FOUND
};

inline constexpr ULONG kRememberedLookups = 8;

// Every feature of uiGroups and every option of each feature, by list and
// name, so that the tables resolve their names without walking the lists.
// Open addressing; the first item of a name is the one kept, as a walk of
// the list would find it.
struct NAMEINDEX {
  LOOKUP* slots;  // a pool allocation; NULL when there is no index
  ULONG mask;     // slot count - 1 (a power of two)
};

// One pass over the description. Without a destination it only counts; with
// one, every piece is written at the offset it was counted at.
struct PACKER {
  BYTE* dst;         // the image, or NULL in the sizing pass
  PPDOBJ* ppd;       // the parse form: names are resolved against it
  ULONG_PTR offset;  // where the next piece goes
  LOOKUP lookups[kRememberedLookups];
  ULONG nextLookup;  // the slot the next new lookup takes
  NAMEINDEX index;   // in the writing pass, when the pool had room
};

// The index's hash of a name: its length, first and last 8 characters
// (names are short, and those tell them apart well enough for a probe).
ULONG IndexHash(const CHAR* name) {
  const std::size_t length = std::strlen(name);
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  if (length >= 8) {
    std::memcpy(&head, name, 8);
    std::memcpy(&tail, name + length - 8, 8);
  } else {
    for (std::size_t i = 0; i < length; ++i) head = head << 8 | static_cast<BYTE>(name[i]);
  }
  const std::uint64_t mixed = (head * 0x9E3779B97F4A7C15u) ^ (tail * 0xC2B2AE3D27D4EB4Fu) ^ length;
  return static_cast<ULONG>(mixed >> 32) ^ static_cast<ULONG>(mixed);
}

// The slot of a name in a list: a mix of the name's hash and the list.
ULONG IndexSlot(const NAMEINDEX& index, const LISTOBJ* list, ULONG hash) {
  const auto key = static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(list)) ^
                   (static_cast<std::uint64_t>(hash) << 17) ^ hash;
  return static_cast<ULONG>((key * 0x9E3779B97F4A7C15u) >> 32) & index.mask;
}

void IndexList(NAMEINDEX& index, const LISTOBJ* list) {
  ULONG position = 0;
  for (LISTOBJ* item = const_cast<LISTOBJ*>(list); item != nullptr; item = item->next, ++position) {
    const ULONG hash = IndexHash(item->name);
    ULONG slot = IndexSlot(index, list, hash);
    for (;; slot = (slot + 1) & index.mask) {
      LOOKUP& entry = index.slots[slot];
      if (entry.name == nullptr) {
        const WORD at =
            position < LISTOBJ_NOT_FOUND ? static_cast<WORD>(position) : LISTOBJ_NOT_FOUND;
        entry = LOOKUP{list, item->name, hash, item, at};
        break;
      }
      if (entry.list == list && entry.hash == hash && std::strcmp(entry.name, item->name) == 0)
        break;
    }
  }
}

// Descriptions with fewer table entries than this resolve them by walking
// the lists; an index would cost more than it spares.
inline constexpr ULONG kIndexedLookups = 64;

// Builds the index of the features and their options; without room in the
// pool the lists are walked instead.
NAMEINDEX BuildNameIndex(PPDOBJ* ppd) {
  ULONG count = 0;
  for (LISTOBJ* group = ppd->uiGroups; group != nullptr; group = group->next) {
    count += 1 + LISTOBJ_Count(ListRecord<UIGROUP>(group)->options);
  }
  ULONG slots = 16;
  while (slots < 2 * count && slots < 0x40000000u) slots *= 2;
  NAMEINDEX index{static_cast<LOOKUP*>(EngAllocMem(0, slots * sizeof(LOOKUP), DRIVER_DESC_TAG)),
                  slots - 1};
  if (index.slots == nullptr) return index;
  std::memset(index.slots, 0, slots * sizeof(LOOKUP));
  IndexList(index, ppd->uiGroups);
  for (LISTOBJ* group = ppd->uiGroups; group != nullptr; group = group->next) {
    IndexList(index, ListRecord<UIGROUP>(group)->options);
  }
  return index;
}

template <typename T>
void SetOffset(T** field, ULONG_PTR offset) {
  *field = reinterpret_cast<T*>(offset);
}

// Packs the string *field points to and points the field at it.
void PackString(PACKER* packer, CHAR** field) {
  const CHAR* text = *field;
  if (text == nullptr) return;
  const ULONG_PTR size = std::strlen(text) + 1;
  if (packer->dst != nullptr) {
    std::memcpy(packer->dst + packer->offset, text, size);
    SetOffset(field, packer->offset);
  }
  packer->offset += RoundUp(size, kPieceAlign);
}

void PackWideString(PACKER* packer, WCHAR** field) {
  const WCHAR* text = *field;
  if (text == nullptr) return;
  ULONG_PTR length = 0;
  while (text[length] != u'\0') ++length;
  const ULONG_PTR size = (length + 1) * sizeof(WCHAR);
  if (packer->dst != nullptr) {
    std::memcpy(packer->dst + packer->offset, text, size);
    SetOffset(field, packer->offset);
  }
  packer->offset += RoundUp(size, kPieceAlign);
}

// LISTOBJ_FindItemIndex, answered from the index or the remembered lookups
// when it can.
LISTOBJ* FindItem(PACKER* packer, LISTOBJ* list, const CHAR* name, WORD* pIndex) {
  if (packer->index.slots != nullptr) {
    const NAMEINDEX& index = packer->index;
    const ULONG hash = IndexHash(name);
    for (ULONG slot = IndexSlot(index, list, hash);; slot = (slot + 1) & index.mask) {
      const LOOKUP& entry = index.slots[slot];
      if (entry.name == nullptr) {
        *pIndex = LISTOBJ_NOT_FOUND;
        return nullptr;
      }
      if (entry.list == list && entry.hash == hash && std::strcmp(entry.name, name) == 0) {
        *pIndex = entry.index;
        return entry.item;
      }
    }
  }
  const ULONG hash = HashKeyword(name);
  for (const LOOKUP& lookup : packer->lookups) {
    if (lookup.name != nullptr && lookup.hash == hash && lookup.list == list &&
        std::strcmp(lookup.name, name) == 0) {
      *pIndex = lookup.index;
      return lookup.item;
    }
  }
  LISTOBJ* item = LISTOBJ_FindItemIndex(list, name, pIndex);
  packer->lookups[packer->nextLookup] = LOOKUP{list, name, hash, item, *pIndex};
  packer->nextLookup = (packer->nextLookup + 1) % kRememberedLookups;
  return item;
}

// The position of feature `name` in uiGroups, with the group.
UIGROUP* FindFeature(PACKER* packer, const CHAR* name, WORD* pIndex) {
  LISTOBJ* item = FindItem(packer, packer->ppd->uiGroups, name, pIndex);
  return item != nullptr ? ListRecord<UIGROUP>(item) : nullptr;
}

// The position of option `name` of a found group; PPD_ANY_OPTION when the
// entry names none, 0 when the group was not found. An option at a position
// a selection byte cannot hold (PPD_ANY_OPTION and beyond) counts as not
// found: its entry is unresolved rather than standing for another option.
WORD FindOptionIndex(PACKER* packer, UIGROUP* group, const CHAR* name) {
  if (group == nullptr) return 0;
  if (name == nullptr) return PPD_ANY_OPTION;
  WORD index;
  FindItem(packer, group->options, name, &index);
  return index < PPD_ANY_OPTION ? index : LISTOBJ_NOT_FOUND;
}

// Starts a table of count entries at the current offset; NULL when sizing.
PPDTABLE* BeginTable(PACKER* packer, BYTE** field, ULONG count, WORD entrySize) {
  PPDTABLE* table = nullptr;
  if (packer->dst != nullptr) {
    table = reinterpret_cast<PPDTABLE*>(packer->dst + packer->offset);
    table->count = static_cast<WORD>(count);
    table->entrySize = entrySize;
    SetOffset(field, packer->offset);
  }
  packer->offset += sizeof(PPDTABLE) + ULONG_PTR{count} * entrySize;
  return table;
}

// The entries of a table, from the count the parser keeps of its list (a
// walk of a long list costs a cache miss an item). The table counts in 16
// bits; the parser refuses entries beyond that (PPD_MAX_LIST_ITEMS).
ULONG TableCount(ULONG listCount) {
  return listCount < kMaxTableEntries ? listCount : kMaxTableEntries;
}

void PackOrderDepTable(PACKER* packer, PPDOBJ* header) {
  const ULONG count = TableCount(packer->ppd->cOrderDeps);
  PPDTABLE* table = BeginTable(packer, &header->orderDepTable, count, sizeof(ORDERDEPENTRY));
  if (table == nullptr) return;
  auto* entry = const_cast<ORDERDEPENTRY*>(PpdOrderDepEntries(table));
  LISTOBJ* item = packer->ppd->orderDeps;
  for (ULONG i = 0; i < count; ++i, ++entry, item = item->next) {
    const ORDERDEP* dep = ListRecord<ORDERDEP>(item);
    WORD feature;
    UIGROUP* group = FindFeature(packer, dep->header.name, &feature);
    const WORD option = FindOptionIndex(packer, group, dep->optionKeyword);
    entry->featureIndex = option == LISTOBJ_NOT_FOUND ? PPD_UNRESOLVED : feature;
    entry->optionIndex = option;
    entry->order = dep->order;
    entry->section = dep->section;
  }
}

// A feature and one of its options (none: NULL), resolved.
struct RESOLVEDCHOICE {
  const CHAR* feature;  // NULL: nothing resolved yet
  const CHAR* option;
  UIGROUP* group;
  WORD featureIndex;
  WORD optionIndex;
};

// Unequal names mostly differ in their first character, which is looked at
// before a whole compare.
bool SameName(const CHAR* a, const CHAR* b) {
  return a == b || (a != nullptr && b != nullptr && a[0] == b[0] && std::strcmp(a, b) == 0);
}

// Constraints mostly come in pairs that name the same two choices the other
// way round, so the previous entry's choices are tried before the index.
RESOLVEDCHOICE ResolveChoice(PACKER* packer, const CHAR* feature, const CHAR* option,
                             const RESOLVEDCHOICE (&previous)[2]) {
  for (const RESOLVEDCHOICE& choice : previous) {
    if (choice.feature != nullptr && SameName(choice.feature, feature) &&
        SameName(choice.option, option)) {
      return choice;
    }
  }
  RESOLVEDCHOICE choice{feature, option, nullptr, 0, 0};
  choice.group = FindFeature(packer, feature, &choice.featureIndex);
  choice.optionIndex = FindOptionIndex(packer, choice.group, option);
  return choice;
}

void PackConstraintTable(PACKER* packer, PPDOBJ* header) {
  const ULONG count = TableCount(packer->ppd->cUiConstraints);
  PPDTABLE* table = BeginTable(packer, &header->uiConstraintTable, count, sizeof(CONSTRAINTENTRY));
  if (table == nullptr) return;
  auto* entry = const_cast<CONSTRAINTENTRY*>(PpdConstraintEntries(table));
  LISTOBJ* item = packer->ppd->uiConstraints;
  RESOLVEDCHOICE previous[2] = {};
  for (ULONG i = 0; i < count; ++i, ++entry, item = item->next) {
    const UICONSTRAINT* constraint = ListRecord<UICONSTRAINT>(item);
    const RESOLVEDCHOICE first =
        ResolveChoice(packer, constraint->header.name, constraint->option1, previous);
    const RESOLVEDCHOICE second =
        ResolveChoice(packer, constraint->feature2, constraint->option2, previous);
    entry->option1 = first.optionIndex;
    entry->feature2 = second.featureIndex;
    entry->option2 = second.optionIndex;
    const bool unresolved =
        first.featureIndex == LISTOBJ_NOT_FOUND || second.featureIndex == LISTOBJ_NOT_FOUND ||
        entry->option1 == LISTOBJ_NOT_FOUND || entry->option2 == LISTOBJ_NOT_FOUND;
    entry->feature1 = unresolved ? PPD_UNRESOLVED : first.featureIndex;
    previous[0] = first;
    previous[1] = second;
  }
}

// Copies one list record (size bytes) to the current offset, links it in
// through *pLink and packs its name behind it. Returns the record whose
// fields are packed next: the copy, or the parse-form item when sizing.
LISTOBJ* PackListRecord(PACKER* packer, LISTOBJ* item, ULONG size, LISTOBJ*** pLink) {
  packer->offset = RoundUp(packer->offset, kRecordAlign);
  LISTOBJ* record = item;
  if (packer->dst != nullptr) {
    record = reinterpret_cast<LISTOBJ*>(packer->dst + packer->offset);
    std::memcpy(record, item, size);
    record->next = nullptr;
    SetOffset(*pLink, packer->offset);
    *pLink = &record->next;
  }
  packer->offset += RoundUp(size, kPieceAlign);
  PackString(packer, &record->name);
  return record;
}

// The C library's atol on the platform: leading white space, one sign, then
// decimal digits; the value saturates at the limits of a 32-bit LONG.
LONG LeadingNumber(const CHAR* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  std::int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 0x80000000LL) value = 0x80000000LL;
  }
  if (negative) return static_cast<LONG>(-value);
  return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(value);
}

// The packed default of a group (parse form): the default option's position,
// or for the Resolution group its default in dots per inch. A default that a
// selection byte cannot hold falls back to the first option, as one that
// names no option does.
ULONG_PTR PackedDefault(const UIGROUP* group) {
  if (group->kind == UIGRP_RESOLUTION) {
    const CHAR* keyword = group->defaultOption;
    if (keyword == nullptr && group->options != nullptr) keyword = group->options->name;
    if (keyword == nullptr) return PPD_DEFAULT_RESOLUTION;
    const LONG dpi = LeadingNumber(keyword);
    return dpi > 0 ? static_cast<ULONG_PTR>(dpi) : PPD_DEFAULT_RESOLUTION;
  }
  if (group->defaultOption == nullptr) return 0;
  WORD index;
  if (LISTOBJ_FindItemIndex(group->options, group->defaultOption, &index) == nullptr) return 0;
  return index < PPD_ANY_OPTION ? index : 0;
}

// A paper size made consistent: no paper with only one dimension, an
// imageable area within the paper and not empty (else the whole sheet).
// Compared as unsigned values, so a negative edge counts as very large.
void NormaliseMediaOption(MEDIAOPTION* media) {
  if (media->paperWidth == 0 || media->paperHeight == 0) {
    media->paperWidth = 0;
    media->paperHeight = 0;
  }
  PSRECT& area = media->imageableArea;
  const auto AsUnsigned = [](LONG value) { return static_cast<ULONG>(value); };
  if (AsUnsigned(area.right) > AsUnsigned(media->paperWidth)) area.right = media->paperWidth;
  if (AsUnsigned(area.top) > AsUnsigned(media->paperHeight)) area.top = media->paperHeight;
  if (AsUnsigned(area.left) >= AsUnsigned(area.right) ||
      AsUnsigned(area.bottom) >= AsUnsigned(area.top)) {
    area = PSRECT{0, 0, media->paperWidth, media->paperHeight};
  }
}

void PackOptionFields(PACKER* packer, UIOPTION* option, WORD kind) {
  PackString(packer, &option->translation);
  PackString(packer, &option->invocation);
  if (kind == UIGRP_PAGESIZE) {
    auto* media = ListRecord<MEDIAOPTION>(&option->header);
    if (packer->dst == nullptr) NormaliseMediaOption(media);
    PackString(packer, &media->pageRegionCode);
  } else if (kind == UIGRP_RESOLUTION) {
    auto* resolution = ListRecord<RESOPTION>(&option->header);
    PackString(packer, &resolution->jclResolutionCode);
    PackString(packer, &resolution->setResolutionCode);
  }
}

void PackGroupFields(PACKER* packer, UIGROUP* group) {
  PackString(packer, &group->translation);
  if (packer->dst != nullptr) group->defaultIndex = PackedDefault(group);
  LISTOBJ** link = &group->options;
  for (LISTOBJ* item = group->options; item != nullptr; item = item->next) {
    LISTOBJ* record = PackListRecord(packer, item, group->optionSize, &link);
    PackOptionFields(packer, ListRecord<UIOPTION>(record), group->kind);
  }
}

void PackGroups(PACKER* packer, PPDOBJ* header) {
  LISTOBJ** link = &header->uiGroups;
  for (LISTOBJ* item = packer->ppd->uiGroups; item != nullptr; item = item->next) {
    LISTOBJ* record = PackListRecord(packer, item, sizeof(UIGROUP), &link);
    PackGroupFields(packer, ListRecord<UIGROUP>(record));
  }
}

void PackDeviceFonts(PACKER* packer, PPDOBJ* header) {
  LISTOBJ** link = &header->deviceFonts;
  for (LISTOBJ* item = packer->ppd->deviceFonts; item != nullptr; item = item->next) {
    LISTOBJ* record = PackListRecord(packer, item, sizeof(DEVFONT), &link);
    PackString(packer, &ListRecord<DEVFONT>(record)->translation);
  }
}

}  // namespace

ULONG DoPackPpd(BYTE* dst, PPDOBJ* ppd) {
  PACKER packer{dst, ppd, PPDOBJ_HEADER_SIZE, {}, 0, {}};
  // The counts the parser keeps decide (a walk of the lists would cost what
  // the index saves); the index answers as the lists would either way.
  if (dst != nullptr && ppd->cUiConstraints + ppd->cOrderDeps >= kIndexedLookups) {
    packer.index = BuildNameIndex(ppd);
  }
  PPDOBJ* header = ppd;
  if (dst != nullptr) {
    std::memcpy(dst, ppd, PPDOBJ_HEADER_SIZE);
    header = reinterpret_cast<PPDOBJ*>(dst);
  }
  PackWideString(&packer, &header->fileName);
  PackString(&packer, &header->nickName);
  PackString(&packer, &header->password);
  PackString(&packer, &header->exitServer);
  PackString(&packer, &header->customPageCode);
  PackString(&packer, &header->jclBegin);
  PackString(&packer, &header->jclToPs);
  PackString(&packer, &header->jclEnd);
  PackOrderDepTable(&packer, header);
  PackConstraintTable(&packer, header);
  PackGroups(&packer, header);
  PackDeviceFonts(&packer, header);
  if (packer.index.slots != nullptr) EngFreeMem(packer.index.slots);
  return packer.offset <= kMaxImageSize ? static_cast<ULONG>(packer.offset) : 0;
}
