// Value scanning: bounded text buffers, words, numbers, word tables and
// string copies into the arena. The keyword handlers read every value
// through these routines and never parse characters themselves. Texts are
// 8-bit and NUL-terminated; results are the parser's result codes
// (PPDERR_*, ppd/parser/parser.h).
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "engine/types.h"

struct HEAPOBJ;

// A bounded text buffer over storage of maxLength + 1 bytes that belongs to
// whoever initialised it.
struct BUFOBJ {
  ULONG maxLength;  // capacity in characters, terminator not counted
  ULONG length;     // characters held
  CHAR* text;       // the characters, NUL-terminated
};

void BUFOBJ_Initialize(BUFOBJ* buf, CHAR* storage, ULONG maxLength);
void BUFOBJ_Reset(BUFOBJ* buf);
// Appends s; 4 when it does not fit (what fitted stays, terminated by the
// storage's zero last byte).
WORD BUFOBJ_AddString(BUFOBJ* buf, const CHAR* s);
// Replaces the text with `text`, which must fit (at most maxLength
// characters, no NUL). Inline: the reader sets four texts for every
// statement, mostly a few characters each, which a few moves copy.
inline void BUFOBJ_SetText(BUFOBJ* buf, std::string_view text) {
  const CHAR* src = text.data();
  CHAR* dst = buf->text;
  const std::size_t n = text.size();
  // Two copies of a fixed size from both ends cover any n from that size to
  // twice it.
  auto ends = [&](auto word) {
    decltype(word) first, last;
    std::memcpy(&first, src, sizeof first);
    std::memcpy(&last, src + n - sizeof last, sizeof last);
    std::memcpy(dst, &first, sizeof first);
    std::memcpy(dst + n - sizeof last, &last, sizeof last);
  };
  struct Chars16 {
    CHAR c[16];
  };
  if (n > 32) {
    std::memcpy(dst, src, n);
  } else if (n >= 16) {
    ends(Chars16{});
  } else if (n >= 8) {
    ends(std::uint64_t{});
  } else if (n >= 4) {
    ends(std::uint32_t{});
  } else if (n > 0) {
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  }
  buf->length = static_cast<ULONG>(n);
  dst[n] = '\0';
}
// Drops trailing spaces and tabs.
void BUFOBJ_StripTrailingSpaces(BUFOBJ* buf);
// Copies the text into dest (room for length + 1 bytes), decoding hex
// substrings "<1B>" to their bytes; 3 for a malformed hex substring.
WORD BUFOBJ_CopyStringHex(const BUFOBJ* buf, CHAR* dest);

// Character classes: space is tab and space only (not CR or LF).
bool IsSpaceChar(CHAR c);
bool IsDigitChar(CHAR c);
bool IsHexChar(CHAR c);
// The value 0 to 15 of a hex digit.
BYTE HexValue(CHAR c);

// Length of the word buffers the handlers pass to GetWordStr.
inline constexpr WORD MAX_WORD_LEN = 40;

// Takes the next word (a run of non-space characters) of the text at
// *cursor: stores at most maxLen - 1 of its characters in word, terminated,
// moves *cursor behind the whole word and returns the count stored; 0 when
// no word is left.
WORD GetWordStr(const CHAR** cursor, WORD maxLen, CHAR* word);
// The next word of the text at *cursor, found as GetWordStr finds it, in
// place and whole (not cut); moves *cursor behind it. Empty when no word is
// left.
std::string_view NextWord(const CHAR** cursor);
// The first words.size() words of a text, each as NextWord would take it
// after the one before; empty, at the text's end, once no word is left. The
// text's storage runs on to storageEnd: the characters up to there may be
// read (many at a time).
void WordsIn(const CHAR* text, const CHAR* storageEnd, std::span<std::string_view> words);
// TRUE when text begins with exactly `word`, followed by its end or a space.
BOOL EqualWordString(const CHAR* word, const CHAR* text);

// One row of a word table. The last row has a NULL word and carries the
// code a failed lookup yields.
struct STRTABLE {
  const CHAR* word;
  WORD code;
};

// Looks the word at the start of text up; *code receives the row's code, or
// the end row's code when no word matches (FALSE).
BOOL SearchStringTable(const STRTABLE* table, const CHAR* text, WORD* code);

// "True" 1, "False" 0.
extern const STRTABLE boolStrs[];

// Readers: 0, or 3 when the text does not hold the value.
// GetBooleanValue stores 0 when it fails.
WORD GetBooleanValue(ULONG* out, const CHAR* text);
// A decimal integer; anything behind the digits is not looked at. A negative
// number stores 0.
WORD GetIntegerValue(ULONG* out, const CHAR* text);
// A decimal number as a PS real, the fraction (first five digits) rounded to
// the nearest 1/256. A negative number stores 0.
WORD GetRealValue(LONG* out, const CHAR* text);
// Takes the next word of the text at *cursor and reads it with GetRealValue;
// 3 when no word is left.
WORD ReadRealWord(const CHAR** cursor, LONG* out);

// String copy modes of GetStringValue.
inline constexpr ULONG STRMODE_INVOCATION = 1;  // copied unchanged
inline constexpr ULONG STRMODE_QUOTED = 2;      // hex substrings decoded
inline constexpr ULONG STRMODE_PLAIN = 4;       // copied unchanged

// Copies the buffer's text into the arena and sets *field to the copy. The
// first value that reaches a field stays: a field already set is left as it
// is (result 0). 4 when the arena is exhausted, 3 for bad hex in mode 2.
WORD GetStringValue(CHAR** field, const BUFOBJ* buf, HEAPOBJ* heap, ULONG mode);

// A copy of text in the arena, or NULL when the arena is exhausted.
CHAR* HeapCopyString(HEAPOBJ* heap, const CHAR* text);

// The text behind one leading asterisk, or NULL when nothing remains.
const CHAR* StripKeywordChar(const CHAR* text);
