// The printer description parser: the parser object that holds one PPD
// statement, and the operations that make a description and feed statements
// through the interpreter into its records (ppd/records.h).
//
// A statement is a main keyword without its asterisk ("OpenUI"), an option
// keyword ("*PageSize"), a translation, a value (8-bit texts, empty when
// absent) and a value type. Every step answers a result code.
//
// Locking: the keyword table's seen marks are process-wide and are reset
// when a description is made, so one description is parsed at a time under
// the description lock (ppd/parser/description_lock.h). PPDOBJ_Create takes
// the lock itself; a caller that feeds statements of its own holds it from
// PPDOBJ_CreateEmpty until its last PPDOBJ_InsertEntry.
#pragma once

#include <string_view>

#include "engine/types.h"
#include "ppd/parser/value_scan.h"
#include "ppd/records.h"

struct KEYWORDROW;

// Result codes of the interpreter, the keyword handlers and the value readers.
inline constexpr WORD PPDERR_NONE = 0;    // accepted, or ignored
inline constexpr WORD PPDERR_SYNTAX = 3;  // wrong shape, missing word, bad value
inline constexpr WORD PPDERR_MEMORY = 4;  // arena or pool exhausted, or text too long
// A new feature, order dependency or constraint beyond PPD_MAX_LIST_ITEMS:
// the image could not index or count it.
inline constexpr WORD PPDERR_FULL = 6;

// Value types of a statement.
inline constexpr WORD PPDVALUE_NONE = 0;
inline constexpr WORD PPDVALUE_QUOTED = 2;
inline constexpr WORD PPDVALUE_PLAIN = 4;

// Capacities of the parser object's buffers, in characters.
inline constexpr ULONG PARSER_NAME_MAX = 40;    // keyword, option, translation
inline constexpr ULONG PARSER_VALUE_MAX = 1024;  // value

// The statement being interpreted. One pool allocation (DRIVER_DESC_TAG,
// zero-filled) holds the object with the storage of the three small
// buffers; the value storage is a second one. The byte behind each buffer's
// capacity stays zero, so a text cut at the capacity is still terminated.
struct PARSEROBJ {
  BUFOBJ keyword;      // main keyword without the asterisk
  BUFOBJ option;       // option keyword; empty when none
  BUFOBJ translation;  // translation; empty when none
  BUFOBJ value;        // value text
  ULONG valueType;     // PPDVALUE_*
  CHAR keywordText[PARSER_NAME_MAX + 1];
  CHAR optionText[PARSER_NAME_MAX + 1];
  CHAR translationText[PARSER_NAME_MAX + 1];
  // The keyword table's answer for the last keyword looked up (the next
  // statement most often has the same keyword); lastKeywordLength 0: none.
  const KEYWORDROW* lastRow;
  ULONG lastKeywordLength;
  CHAR lastKeywordText[PARSER_NAME_MAX + 1];
};

// The driver's description: an empty description fed the built-in card
// entries, under the description lock. NULL when memory runs out or no lock
// can be made (nothing is left allocated then).
// A NULL fileName leaves the description's fileName NULL.
PPDOBJ* PPDOBJ_Create(const WCHAR* fileName);

// An empty description with its defaults set, ready for statements, and the
// keyword table ready for a new parse; NULL when memory runs out. The
// description and everything built into it live in its own arena.
PPDOBJ* PPDOBJ_CreateEmpty(const WCHAR* fileName);

// Ends the description's arena, and with it every record and string.
// NULL is ignored.
void PPDOBJ_Delete(PPDOBJ* ppd);

// Writes the printer-level defaults.
void PPDOBJ_SetDefaults(PPDOBJ* ppd);

// Inserts the sixteen built-in card entries in order; always TRUE. fileName
// is not used.
BOOL PPDOBJ_BuildEntries(PPDOBJ* ppd, PARSEROBJ* parser, const WCHAR* fileName);

// Loads one statement into the parser object and interprets it. Texts longer
// than their buffer are cut at its capacity (the cut is not reported) and
// interpreted as cut; a NULL text counts as empty.
WORD PPDOBJ_InsertEntry(PPDOBJ* ppd, PARSEROBJ* parser, const CHAR* keyword, const CHAR* option,
                        const CHAR* translation, const CHAR* value, WORD valueType);

// Empties the four buffers and clears the value type.
void PPDOBJ_ResetPO(PARSEROBJ* parser);

// Interprets the statement held in the parser object.
WORD PPDOBJ_InterpretEntry(PPDOBJ* ppd, PARSEROBJ* parser);

// TRUE when PPDOBJ_InterpretEntry would ignore a statement with this keyword
// (of any length) in the description's present state: a query keyword
// ("?..."), or one that neither the open group nor the keyword table takes.
BOOL PPDOBJ_IgnoresKeyword(const PPDOBJ* ppd, std::string_view keyword);

// A parser object with empty buffers, or NULL.
PARSEROBJ* PARSEROBJ_Create();
void PARSEROBJ_Delete(PARSEROBJ* parser);
