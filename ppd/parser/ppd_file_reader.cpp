#include "ppd/parser/ppd_file_reader.h"

#include <cstring>
#include <string_view>

#include "engine/services.h"
#include "lib/pool_tags.h"
#include "ppd/parser/description_lock.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/ppd_statements.h"

namespace {

// NUL-terminated copies of one statement's texts, as PPDOBJ_InsertEntry
// takes them; each has room for its parser buffer's capacity.
struct STATEMENTTEXTS {
  CHAR keyword[PARSER_NAME_MAX + 1];
  CHAR option[PARSER_NAME_MAX + 1];
  CHAR translation[PARSER_NAME_MAX + 1];
  CHAR value[PARSER_VALUE_MAX + 1];
};

inline constexpr ULONG kFirstRefusalRoom = 64;

struct READER {
  PPDOBJ* ppd;
  PARSEROBJ* parser;
  STATEMENTTEXTS* texts;
  PPDREADRESULT* result;
};

void CopyText(CHAR* dest, std::string_view text) {
  if (!text.empty()) std::memcpy(dest, text.data(), text.size());
  dest[text.size()] = '\0';
}

// Appends a refusal; FALSE when the list cannot grow.
bool AddRefusal(PPDREADRESULT* result, ULONG line, WORD code) {
  if (result->cRefusals == result->cAllocated) {
    const ULONG room = result->cAllocated == 0 ? kFirstRefusalRoom : result->cAllocated * 2;
    if (room < result->cAllocated || room > 0xFFFFFFFFu / sizeof(PPDREFUSAL)) return false;
    auto* grown = static_cast<PPDREFUSAL*>(EngAllocMem(0, room * sizeof(PPDREFUSAL), DRIVER_DESC_TAG));
    if (grown == nullptr) return false;
    if (result->cRefusals != 0) {
      std::memcpy(grown, result->refusals, result->cRefusals * sizeof(PPDREFUSAL));
    }
    if (result->refusals != nullptr) EngFreeMem(result->refusals);
    result->refusals = grown;
    result->cAllocated = room;
  }
  result->refusals[result->cRefusals++] = {line, code};
  return true;
}

BOOL OnStatement(PVOID context, const PPDSTATEMENT* statement) {
  auto* reader = static_cast<READER*>(context);
  if (statement->keyword.size() > PARSER_NAME_MAX || statement->option.size() > PARSER_NAME_MAX ||
      statement->value.size() > PARSER_VALUE_MAX) {
    return AddRefusal(reader->result, statement->line, PPDERR_MEMORY) ? TRUE : FALSE;
  }
  STATEMENTTEXTS* texts = reader->texts;
  CopyText(texts->keyword, statement->keyword);
  CopyText(texts->option, statement->option);
  const ULONG translationLength = PPDFILE_TranslationCut(statement->translation, PARSER_NAME_MAX);
  CopyText(texts->translation, statement->translation.substr(0, translationLength));
  CopyText(texts->value, statement->value);

  const WORD code = PPDOBJ_InsertEntry(reader->ppd, reader->parser, texts->keyword, texts->option,
                                       texts->translation, texts->value, statement->valueType);
  // Every text fits its buffer, so a 4 can only be an exhausted arena.
  if (code == PPDERR_MEMORY) return FALSE;
  if (code != PPDERR_NONE) return AddRefusal(reader->result, statement->line, code) ? TRUE : FALSE;
  return TRUE;
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
  reader.texts = static_cast<STATEMENTTEXTS*>(EngAllocMem(0, sizeof(STATEMENTTEXTS), DRIVER_DESC_TAG));
  if (reader.parser != nullptr && reader.texts != nullptr) reader.ppd = PPDOBJ_CreateEmpty(fileName);

  bool complete = false;
  if (reader.ppd != nullptr) {
    const PPDSTATEMENTSINK sink{&reader, OnStatement, OnMalformed};
    complete = PPDFILE_SplitStatements(text, &sink) != FALSE;
  }
  ReleaseDescriptionLock();
  if (reader.texts != nullptr) EngFreeMem(reader.texts);
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
