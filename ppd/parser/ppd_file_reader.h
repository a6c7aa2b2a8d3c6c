// Reads the text of a PPD file into a description: every statement of the
// file (ppd/parser/ppd_statements.h) goes through the same interpreter as the
// built-in card entries, into an empty description (PPDOBJ_CreateEmpty; the
// built-in entries are not added). The reader works on text in memory of any
// size; what it cannot take is reported by line and skipped, never fatal.
//
// Locking: PPDFILE_Read takes the description lock for its parse
// (ppd/parser/description_lock.h); when no lock can be made it reads nothing
// and the result holds no description, as when memory runs out.
#pragma once

#include <span>

#include "engine/types.h"
#include "ppd/records.h"

// A statement that was not taken into the description.
struct PPDREFUSAL {
  ULONG line;  // line the statement begins on, from 1
  WORD code;   // PPDERR_SYNTAX, PPDERR_MEMORY, PPDREAD_MALFORMED, PPDERR_FULL,
               // PPDREAD_PAPER_REFUSED or PPDREAD_OPTION_BEYOND_SELECTION
};

// The codes of a refusal:
// - PPDERR_SYNTAX (3): the interpreter refused the statement (wrong shape,
//   missing word, bad number or hex text);
// - PPDERR_MEMORY (4): a keyword, option keyword or value longer than the
//   parser's buffer (PARSER_NAME_MAX, PARSER_VALUE_MAX); the statement is
//   skipped rather than interpreted cut short;
// - PPDREAD_MALFORMED (5): the line is no statement of the file format
//   (PpdMalformed); it is skipped;
// - PPDERR_FULL (6): a new feature, order dependency or constraint beyond the
//   65,535 the image can index and count;
// - PPDREAD_PAPER_REFUSED (7): a PageRegion, ImageableArea or PaperDimension
//   statement for a paper size whose PageSize statement was refused for a
//   text too long, while no PageSize statement has made that paper size: it
//   would make the paper size without its code;
// - PPDREAD_OPTION_BEYOND_SELECTION (8): a constraint naming an option at
//   position 255 or beyond, which a selection byte cannot hold; the
//   constraint stays in the description, unresolved, and never applies.
// Statements the interpreter ignores (query keywords, keywords it does not
// take) are never refused, whatever their length.
inline constexpr WORD PPDREAD_MALFORMED = 5;
inline constexpr WORD PPDREAD_PAPER_REFUSED = 7;
inline constexpr WORD PPDREAD_OPTION_BEYOND_SELECTION = 8;

struct PPDREADRESULT {
  PPDOBJ* ppd;            // the description (PPDOBJ_Delete), NULL when a pool ran out
  PPDREFUSAL* refusals;   // in line order; a pool allocation, NULL when empty
  ULONG cRefusals;
  ULONG cAllocated;       // room of refusals, in records
};

// Reads text into a new description named fileName. A translation longer
// than the parser's buffer is cut to fit, before a hex substring "<...>" it
// would split (half a hex pair fails the whole statement) and before a UTF-8
// character it would split; the cut is not a refusal. When memory runs out
// (the arena, or the refusal list) the result holds no description and no
// refusals, and nothing stays allocated. Free the refusals with
// PPDFILE_FreeRefusals.
void PPDFILE_Read(std::span<const CHAR> text, const WCHAR* fileName, PPDREADRESULT* result);

// Frees the refusal list and empties it; the description is not touched.
void PPDFILE_FreeRefusals(PPDREADRESULT* result);

// How many characters of a translation fit a buffer of capacity characters:
// all of it when it fits, else the longest prefix that splits no hex
// substring and no UTF-8 character.
ULONG PPDFILE_TranslationCut(std::span<const CHAR> translation, ULONG capacity);
