#include "ppd/parser/value_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lib/block_heap.h"
#include "ppd/parser/parser.h"

namespace {

// Character classes, indexed by the unsigned byte value.
constexpr BYTE kSpace = 0x01;
constexpr BYTE kDigit = 0x02;
constexpr BYTE kHexLetter = 0x04;
constexpr BYTE kWordEnd = 0x08;  // what ends a word: the terminator, space, tab

constexpr std::array<BYTE, 256> BuildCharTable() {
  std::array<BYTE, 256> table{};
  table['\t'] = kSpace | kWordEnd;
  table[' '] = kSpace | kWordEnd;
  table['\0'] = kWordEnd;
  for (int c = '0'; c <= '9'; ++c) table[c] = kDigit;
  for (int c = 'A'; c <= 'F'; ++c) table[c] = kHexLetter;
  for (int c = 'a'; c <= 'f'; ++c) table[c] = kHexLetter;
  return table;
}

constexpr std::array<BYTE, 256> charTable = BuildCharTable();

BYTE CharClass(CHAR c) { return charTable[static_cast<BYTE>(c)]; }

// Reads an optional minus sign; the numbers of a description are never
// negative, so a negative one is stored as 0.
bool SkipSign(const CHAR** text) {
  if (**text != '-') return false;
  ++*text;
  return true;
}

}  // namespace

bool IsSpaceChar(CHAR c) { return (CharClass(c) & kSpace) != 0; }
bool IsDigitChar(CHAR c) { return (CharClass(c) & kDigit) != 0; }
bool IsHexChar(CHAR c) { return (CharClass(c) & (kDigit | kHexLetter)) != 0; }

BYTE HexValue(CHAR c) {
  if (IsDigitChar(c)) return static_cast<BYTE>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<BYTE>(c - 'a' + 10);
  return static_cast<BYTE>(c - 55);
}

void BUFOBJ_Initialize(BUFOBJ* buf, CHAR* storage, ULONG maxLength) {
  buf->text = storage;
  buf->maxLength = maxLength;
  BUFOBJ_Reset(buf);
}

void BUFOBJ_Reset(BUFOBJ* buf) {
  buf->length = 0;
  buf->text[0] = '\0';
}

WORD BUFOBJ_AddString(BUFOBJ* buf, const CHAR* s) {
  const ULONG room = buf->maxLength - buf->length;
  const ULONG length = static_cast<ULONG>(strnlen(s, ULONG{room} + 1));
  const ULONG taken = length <= room ? length : room;
  std::memcpy(buf->text + buf->length, s, taken);
  buf->length += taken;
  if (length > room) return PPDERR_MEMORY;
  buf->text[buf->length] = '\0';
  return PPDERR_NONE;
}

void BUFOBJ_StripTrailingSpaces(BUFOBJ* buf) {
  while (buf->length > 0 && IsSpaceChar(buf->text[buf->length - 1])) --buf->length;
  buf->text[buf->length] = '\0';
}

WORD BUFOBJ_CopyStringHex(const BUFOBJ* buf, CHAR* dest) {
  bool inHex = false;
  for (const CHAR* p = buf->text; *p != '\0'; ++p) {
    if (!inHex) {
      if (*p == '<') {
        inHex = true;
      } else {
        *dest++ = *p;
      }
    } else if (*p == '>') {
      inHex = false;
    } else {
      if (!IsHexChar(p[0]) || !IsHexChar(p[1])) return PPDERR_SYNTAX;
      *dest++ = static_cast<CHAR>(HexValue(p[0]) * 16 + HexValue(p[1]));
      ++p;
    }
  }
  *dest = '\0';
  return PPDERR_NONE;
}

std::string_view NextWord(const CHAR** cursor) {
  const CHAR* p = *cursor;
  while (IsSpaceChar(*p)) ++p;
  const CHAR* const start = p;
  while ((CharClass(*p) & kWordEnd) == 0) ++p;
  *cursor = p;
  return {start, static_cast<std::size_t>(p - start)};
}

void WordsIn(const CHAR* text, const CHAR* storageEnd, std::span<std::string_view> words) {
#if defined(__SSE2__)
  // A text that ends within its first 64 characters: one mask of its
  // spaces and tabs and one of its terminators, 16 characters at a time;
  // a word starts at a word character behind a space (or at the start) and
  // ends at the space or terminator behind it.
  constexpr std::ptrdiff_t kChars = 64;
  if (storageEnd - text >= kChars) {
    std::uint64_t spaces = 0;
    std::uint64_t terminators = 0;
    for (int i = 0; i < kChars / 16; ++i) {
      const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16 * i));
      const __m128i space = _mm_or_si128(_mm_cmpeq_epi8(chars, _mm_set1_epi8(' ')),
                                         _mm_cmpeq_epi8(chars, _mm_set1_epi8('\t')));
      const __m128i terminator = _mm_cmpeq_epi8(chars, _mm_setzero_si128());
      spaces |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(space))} << (16 * i);
      terminators |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(terminator))}
                     << (16 * i);
    }
    if (terminators != 0) {
      const int length = __builtin_ctzll(terminators);
      const std::uint64_t wordChars = ~spaces & ((terminators & -terminators) - 1);
      std::uint64_t starts = wordChars & ~(wordChars << 1);
      std::uint64_t stops = ~wordChars & (wordChars << 1);
      for (std::string_view& word : words) {
        if (starts == 0) {
          word = {text + length, 0};
          continue;
        }
        const int start = __builtin_ctzll(starts);
        word = {text + start, static_cast<std::size_t>(__builtin_ctzll(stops) - start)};
        starts &= starts - 1;
        stops &= stops - 1;
      }
      return;
    }
  }
#endif
  const CHAR* cursor = text;
  for (std::string_view& word : words) word = NextWord(&cursor);
}

WORD GetWordStr(const CHAR** cursor, WORD maxLen, CHAR* word) {
  const std::string_view whole = NextWord(cursor);
  const auto stored = static_cast<WORD>(maxLen == 0 ? 0 : std::min<std::size_t>(whole.size(), maxLen - 1));
  std::memcpy(word, whole.data(), stored);
  word[stored] = '\0';
  return stored;
}

BOOL EqualWordString(const CHAR* word, const CHAR* text) {
  for (; *word != '\0'; ++word, ++text) {
    if (*word != *text) return FALSE;
  }
  return *text == '\0' || IsSpaceChar(*text) ? TRUE : FALSE;
}

BOOL SearchStringTable(const STRTABLE* table, const CHAR* text, WORD* code) {
  for (; table->word != nullptr; ++table) {
    if (EqualWordString(table->word, text)) {
      *code = table->code;
      return TRUE;
    }
  }
  *code = table->code;
  return FALSE;
}

constinit const STRTABLE boolStrs[] = {{"True", 1}, {"False", 0}, {nullptr, 0}};

WORD GetBooleanValue(ULONG* out, const CHAR* text) {
  WORD code;
  const BOOL found = SearchStringTable(boolStrs, text, &code);
  *out = found ? code : 0;
  return found ? PPDERR_NONE : PPDERR_SYNTAX;
}

WORD GetIntegerValue(ULONG* out, const CHAR* text) {
  const bool negative = SkipSign(&text);
  if (!IsDigitChar(*text)) return PPDERR_SYNTAX;
  ULONG value = 0;
  for (; IsDigitChar(*text); ++text) value = value * 10 + static_cast<ULONG>(*text - '0');
  *out = negative ? 0 : value;
  return PPDERR_NONE;
}

WORD GetRealValue(LONG* out, const CHAR* text) {
  constexpr int kFractionDigits = 5;
  const bool negative = SkipSign(&text);
  bool sawDigit = false;
  ULONG whole = 0;
  for (; IsDigitChar(*text); ++text) {
    whole = whole * 10 + static_cast<ULONG>(*text - '0');
    sawDigit = true;
  }
  ULONG fraction = 0;
  ULONG scale = 1;
  if (*text == '.') {
    ++text;
    for (int used = 0; IsDigitChar(*text); ++text) {
      sawDigit = true;
      if (used == kFractionDigits) continue;
      fraction = fraction * 10 + static_cast<ULONG>(*text - '0');
      scale *= 10;
      ++used;
    }
  }
  if (!sawDigit) return PPDERR_SYNTAX;
  const ULONG real = whole * 256 + (fraction * 256 + scale / 2) / scale;
  *out = negative ? 0 : static_cast<LONG>(real);
  return PPDERR_NONE;
}

WORD ReadRealWord(const CHAR** cursor, LONG* out) {
  CHAR word[MAX_WORD_LEN];
  if (GetWordStr(cursor, MAX_WORD_LEN, word) == 0) return PPDERR_SYNTAX;
  return GetRealValue(out, word);
}

WORD GetStringValue(CHAR** field, const BUFOBJ* buf, HEAPOBJ* heap, ULONG mode) {
  if (*field != nullptr) return PPDERR_NONE;
  auto* copy = static_cast<CHAR*>(HEAPOBJ_Alloc(heap, buf->length + 1));
  if (copy == nullptr) return PPDERR_MEMORY;
  if (mode == STRMODE_QUOTED) {
    if (BUFOBJ_CopyStringHex(buf, copy) != PPDERR_NONE) return PPDERR_SYNTAX;
  } else {
    std::memcpy(copy, buf->text, buf->length + 1);
  }
  *field = copy;
  return PPDERR_NONE;
}

CHAR* HeapCopyString(HEAPOBJ* heap, const CHAR* text) {
  const ULONG size = static_cast<ULONG>(std::strlen(text)) + 1;
  auto* copy = static_cast<CHAR*>(HEAPOBJ_Alloc(heap, size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

const CHAR* StripKeywordChar(const CHAR* text) {
  if (*text == '*') ++text;
  return *text == '\0' ? nullptr : text;
}
