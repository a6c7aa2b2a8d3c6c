#include "ppd/parser/ppd_file_reader.h"

#include <cstring>
#include <string_view>

#include "engine/services.h"
#include "lib/pool_tags.h"
#include "lib/block_heap.h"
#include "ppd/parser/description_lock.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/ppd_statements.h"
#include "ppd/packed_image.h"

namespace {

inline constexpr ULONG kFirstRefusalRoom = 64;

// The lines of the constraints taken, in the order of uiConstraints.
struct LINELIST {
  ULONG* lines;  // a pool allocation, NULL while empty
  ULONG count;
  ULONG room;
};

struct READER {
  PPDOBJ* ppd;
  PARSEROBJ* parser;
  PPDREADRESULT* result;
  LINELIST constraintLines;
  LISTOBJ* refusedPaper;      // paper sizes whose PageSize was refused (arena)
  LISTOBJ* lastRefusedPaper;
};

constexpr CHAR kPageSizeKeyword[] = "PageSize";

void CopyText(CHAR* dest, std::string_view text) {
  if (!text.empty()) std::memcpy(dest, text.data(), text.size());
  dest[text.size()] = '\0';
}

// Makes room for one more record in a pool array of `room` records that
// holds `count`; FALSE when it cannot grow.
template <typename Record>
bool Grow(Record** records, ULONG count, ULONG* room) {
  if (count < *room) return true;
  const ULONG grownRoom = *room == 0 ? kFirstRefusalRoom : *room * 2;
  if (grownRoom < *room || grownRoom > 0xFFFFFFFFu / sizeof(Record)) return false;
  auto* grown = static_cast<Record*>(EngAllocMem(0, grownRoom * sizeof(Record), DRIVER_DESC_TAG));
  if (grown == nullptr) return false;
  if (count != 0) std::memcpy(grown, *records, count * sizeof(Record));
  if (*records != nullptr) EngFreeMem(*records);
  *records = grown;
  *room = grownRoom;
  return true;
}

// Appends a refusal; FALSE when the list cannot grow.
bool AddRefusal(PPDREADRESULT* result, ULONG line, WORD code) {
  if (!Grow(&result->refusals, result->cRefusals, &result->cAllocated)) return false;
  result->refusals[result->cRefusals++] = {line, code};
  return true;
}

// Notes the line of a constraint just taken; FALSE when the list cannot grow.
bool AddConstraintLine(LINELIST* list, ULONG line) {
  if (!Grow(&list->lines, list->count, &list->room)) return false;
  list->lines[list->count++] = line;
  return true;
}

bool IsPageSizeKeyword(std::string_view keyword) { return keyword == kPageSizeKeyword; }

// A statement other than PageSize that fills a paper size of the PageSize
// group (PageRegion, ImageableArea, PaperDimension).
bool FillsPaperSize(std::string_view keyword) {
  if (IsPageSizeKeyword(keyword) || keyword.size() > PARSER_NAME_MAX) return false;
  const KEYWORDROW* row = SearchKeyword(keyword);
  return row != nullptr && row->groupKind == UIGRP_PAGESIZE;
}

// Remembers the paper size of a refused PageSize statement; FALSE when the
// arena is exhausted.
bool RememberRefusedPaper(READER* reader, std::string_view option) {
  HEAPOBJ* heap = reader->ppd->heap;
  auto* item = static_cast<LISTOBJ*>(HEAPOBJ_Alloc(heap, sizeof(LISTOBJ) + option.size() + 1));
  if (item == nullptr) return false;
  item->name = reinterpret_cast<CHAR*>(item + 1);
  CopyText(item->name, option);
  LISTOBJ_Append(&reader->refusedPaper, &reader->lastRefusedPaper, item);
  return true;
}

// A statement that would make a paper size whose PageSize statement was
// refused, without its code.
bool MakesRefusedPaper(const READER* reader, const PPDSTATEMENT* statement) {
  if (reader->refusedPaper == nullptr || !FillsPaperSize(statement->keyword)) return false;
  const CHAR* option = reader->parser->option.text;
  if (LISTOBJ_Find(reader->refusedPaper, option) == nullptr) return false;
  const UIGROUP* pageSize = reader->ppd->predefinedGroups[UIGRP_PAGESIZE];
  return pageSize == nullptr || LISTOBJ_Find(pageSize->options, option) == nullptr;
}

BOOL OnStatement(PVOID context, const PPDSTATEMENT* statement) {
  auto* reader = static_cast<READER*>(context);
  // A statement the interpreter ignores is never refused. One that fits the
  // buffers goes to the interpreter, which ignores it as well.
  if (statement->keyword.size() > PARSER_NAME_MAX || statement->option.size() > PARSER_NAME_MAX ||
      statement->value.size() > PARSER_VALUE_MAX) {
    if (PPDOBJ_IgnoresKeyword(reader->ppd, statement->keyword)) return TRUE;
    if (IsPageSizeKeyword(statement->keyword) && statement->option.size() <= PARSER_NAME_MAX &&
        !RememberRefusedPaper(reader, statement->option)) {
      return FALSE;
    }
    return AddRefusal(reader->result, statement->line, PPDERR_MEMORY) ? TRUE : FALSE;
  }
  // The statement goes straight into the parser object: every text fits its
  // buffer, and the split lets no NUL through.
  PARSEROBJ* parser = reader->parser;
  BUFOBJ_SetText(&parser->keyword, statement->keyword);
  BUFOBJ_SetText(&parser->option, statement->option);
  const ULONG translationLength = PPDFILE_TranslationCut(statement->translation, PARSER_NAME_MAX);
  BUFOBJ_SetText(&parser->translation, statement->translation.substr(0, translationLength));
  BUFOBJ_SetText(&parser->value, statement->value);
  parser->valueType = statement->valueType;
  if (MakesRefusedPaper(reader, statement)) {
    return AddRefusal(reader->result, statement->line, PPDREAD_PAPER_REFUSED) ? TRUE : FALSE;
  }

  const ULONG cConstraints = reader->ppd->cUiConstraints;
  const WORD code = PPDOBJ_InterpretEntry(reader->ppd, parser);
  // Every text fits its buffer, so a 4 can only be an exhausted arena.
  if (code == PPDERR_MEMORY) return FALSE;
  if (code != PPDERR_NONE) return AddRefusal(reader->result, statement->line, code) ? TRUE : FALSE;
  if (reader->ppd->cUiConstraints != cConstraints &&
      !AddConstraintLine(&reader->constraintLines, statement->line)) {
    return FALSE;
  }
  return TRUE;
}

// Whether a constraint's option of a feature lies at a position a selection
// byte cannot hold (the packed constraint is then unresolved).
bool BeyondSelection(const PPDOBJ* ppd, const CHAR* feature, const CHAR* option) {
  if (option == nullptr) return false;
  LISTOBJ* group = LISTOBJ_Find(ppd->uiGroups, feature);
  if (group == nullptr) return false;
  WORD index;
  return LISTOBJ_FindItemIndex(ListRecord<UIGROUP>(group)->options, option, &index) != nullptr &&
         index >= PPD_ANY_OPTION;
}

// Reports the constraints that name an option beyond the selection byte, and
// puts the refusals back in line order; FALSE when the list cannot grow.
bool ReportConstraintsBeyondSelection(READER* reader) {
  // Only a feature with more options than a selection byte can name has an
  // option beyond it; most descriptions have none, and their constraints
  // need no look-up.
  bool anyLongFeature = false;
  for (LISTOBJ* group = reader->ppd->uiGroups; group != nullptr && !anyLongFeature; group = group->next) {
    anyLongFeature = UIGROUP_CountOptions(ListRecord<UIGROUP>(group)) > PPD_ANY_OPTION;
  }
  if (!anyLongFeature) return true;

  PPDREADRESULT* result = reader->result;
  const ULONG cBefore = result->cRefusals;
  ULONG i = 0;
  for (LISTOBJ* item = reader->ppd->uiConstraints; item != nullptr && i < reader->constraintLines.count;
       item = item->next, ++i) {
    const UICONSTRAINT* constraint = ListRecord<UICONSTRAINT>(item);
    if ((BeyondSelection(reader->ppd, item->name, constraint->option1) ||
         BeyondSelection(reader->ppd, constraint->feature2, constraint->option2)) &&
        !AddRefusal(result, reader->constraintLines.lines[i], PPDREAD_OPTION_BEYOND_SELECTION)) {
      return false;
    }
  }
  // The new refusals are in line order among themselves: insert each into
  // the ordered ones before them.
  for (ULONG k = cBefore; k < result->cRefusals; ++k) {
    const PPDREFUSAL refusal = result->refusals[k];
    ULONG at = k;
    while (at > 0 && result->refusals[at - 1].line > refusal.line) {
      result->refusals[at] = result->refusals[at - 1];
      --at;
    }
    result->refusals[at] = refusal;
  }
  return true;
}

BOOL OnMalformed(PVOID context, ULONG line, PpdMalformed) {
  auto* reader = static_cast<READER*>(context);
  return AddRefusal(reader->result, line, PPDREAD_MALFORMED) ? TRUE : FALSE;
}

bool IsUtf8Continuation(CHAR c) { return (static_cast<BYTE>(c) & 0xC0) == 0x80; }

// The length of the UTF-8 sequence a lead byte begins, or 0 for a byte that
// begins none.
ULONG Utf8SequenceLength(CHAR c) {
  const auto b = static_cast<BYTE>(c);
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

}  // namespace

ULONG PPDFILE_TranslationCut(std::span<const CHAR> translation, ULONG capacity) {
  if (translation.size() <= capacity) return static_cast<ULONG>(translation.size());

  // The last place at or before the capacity that is outside "<...>".
  ULONG cut = 0;
  bool inHex = false;
  for (ULONG i = 0; i < capacity; ++i) {
    if (translation[i] == '<') inHex = true;
    else if (translation[i] == '>') inHex = false;
    if (!inHex) cut = i + 1;
  }
  // Move before a UTF-8 character that the cut would split: its lead byte
  // stands before the cut, its continuation bytes run across it.
  ULONG start = cut;
  while (start > 0 && cut - start < 3 && IsUtf8Continuation(translation[start - 1])) --start;
  if (start > 0) {
    const ULONG lead = start - 1;
    const ULONG length = Utf8SequenceLength(translation[lead]);
    if (length > cut - lead && lead + length <= translation.size()) {
      bool whole = true;
      for (ULONG i = lead + 1; i < lead + length; ++i) whole = whole && IsUtf8Continuation(translation[i]);
      if (whole) cut = lead;
    }
  }
  return cut;
}

void PPDFILE_Read(std::span<const CHAR> text, const WCHAR* fileName, PPDREADRESULT* result) {
  *result = {};
  if (!AcquireDescriptionLock()) return;
  READER reader{};
  reader.result = result;
  reader.parser = PARSEROBJ_Create();
  if (reader.parser != nullptr) reader.ppd = PPDOBJ_CreateEmpty(fileName);

  bool complete = false;
  if (reader.ppd != nullptr) {
    const PPDSTATEMENTSINK sink{&reader, OnStatement, OnMalformed};
    complete = PPDFILE_SplitStatements(text, &sink) != FALSE && ReportConstraintsBeyondSelection(&reader);
  }
  ReleaseDescriptionLock();
  if (reader.constraintLines.lines != nullptr) EngFreeMem(reader.constraintLines.lines);
  if (reader.parser != nullptr) PARSEROBJ_Delete(reader.parser);
  if (!complete) {
    PPDOBJ_Delete(reader.ppd);
    PPDFILE_FreeRefusals(result);
    return;
  }
  result->ppd = reader.ppd;
}

void PPDFILE_FreeRefusals(PPDREADRESULT* result) {
  if (result->refusals != nullptr) EngFreeMem(result->refusals);
  result->refusals = nullptr;
  result->cRefusals = 0;
  result->cAllocated = 0;
}
