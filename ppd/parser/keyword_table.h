// The keyword table: one row per PPD main keyword the parser understands,
// with its handler, the predefined group its options belong to and the shape
// an entry must have. Rows are found through a 127-slot hash table with
// linear probing. Also the table of the seven predefined UI groups.
//
// The rows and the hash table are constant data (the hash table is built
// when the driver is compiled). The per-parse seen marks are process-wide:
// InitKeywordTable resets them at the start of each parse, under the
// description lock (ppd/parser/description_lock.h).
#pragma once

#include <span>
#include <string_view>

#include "engine/types.h"
#include "ppd/records.h"

struct PARSEROBJ;

// A keyword handler: interprets the statement in the parser object.
using KEYWORDPROC = WORD (*)(PPDOBJ* ppd, PARSEROBJ* parser);

// Row flags. Bits 0 to 2: value requirement (KWV_*).
inline constexpr WORD KWF_VALUE_MASK = 0x0007;
inline constexpr WORD KWF_OPTION = 0x0008;   // option keyword required (and repeats allowed)
inline constexpr WORD KWF_REPEATS = 0x0010;  // may occur more than once

// Value requirements.
inline constexpr WORD KWV_ANY = 0;            // always passes
inline constexpr WORD KWV_QUOTED = 1;         // quoted value
inline constexpr WORD KWV_QUOTED_PLAIN = 2;   // quoted or plain value
inline constexpr WORD KWV_PLAIN_NONEMPTY = 4; // plain, non-empty value

struct KEYWORDROW {
  const CHAR* keyword;  // main keyword without the asterisk
  KEYWORDPROC handler;
  WORD groupKind;       // UIGRP_* the keyword's options belong to, or UIGRP_OTHER
  WORD flags;           // KWF_* and the value requirement
};

inline constexpr WORD KEYWORD_COUNT = 61;
inline constexpr WORD HASH_TABLE_SIZE = 127;

// One slot of the hash table; row KEYWORD_COUNT marks an empty slot.
struct HASHSLOT {
  ULONG hash;
  WORD row;
};

std::span<const KEYWORDROW, KEYWORD_COUNT> KeywordTable();
std::span<const HASHSLOT, HASH_TABLE_SIZE> KeywordHashTable();

// Starts a parse: clears every seen mark.
void InitKeywordTable();
// The row of a keyword (exact, case-sensitive), or NULL.
const KEYWORDROW* SearchKeyword(std::string_view keyword);
// TRUE when the statement's shape fits the row (option keyword, value).
BOOL CheckKeywordParams(const KEYWORDROW* row, const PARSEROBJ* parser);
// TRUE when the statement may be handled: the keyword was not yet handled
// successfully in this parse, or the row allows repeats.
BOOL CheckKeywordDuplicates(const KEYWORDROW* row);
// Notes that the row's keyword was handled successfully in this parse.
void MarkKeywordSeen(const KEYWORDROW* row);

// What a UI group of some kind is made of.
struct UIGROUPINFO {
  const CHAR* name;  // group name
  ULONG optionSize;  // size of its option records
  WORD uiType;       // initial UITYPE_*
  WORD kind;         // UIGRP_*
};

// The predefined kind whose group name equals name, else UIGRP_OTHER.
WORD GetUiGroupIndex(const CHAR* name);
// The information of a predefined kind, or, for UIGRP_OTHER (and above), of
// the predefined group named `name`, or of a plain group of that name.
void GetUiGroupInfo(UIGROUPINFO* info, WORD kind, const CHAR* name);
