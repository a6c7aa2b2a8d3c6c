// The driver's text formatter. VSPRINTF walks an 8-bit format and a list of
// arguments, one per conversion; SPRINTF is its type-checked front: the
// format is checked against the arguments when the program is compiled, and
// each argument becomes the 32-bit word or string pointer VSPRINTF takes.
//
// Conversions (there are no flags, widths or length modifiers):
//   d, l  32-bit signed decimal ("%ld" is the number followed by "d")
//   u     32-bit unsigned decimal
//   x, X  upper-case hexadecimal, no leading zeros, at least one digit
//   s     the bytes of a NUL-terminated 8-bit string
//   c     the low byte of the word, also when it is 0 (the byte is counted)
//   b     "true" when the word is not 0, else "false"
//   f     a PS real (value x 256) as a decimal number with up to three places
// Any other character after a percent sign is written as it stands ("%%"
// gives "%"); a format ending in a lone percent sign ends there.
#pragma once

#include <cstddef>
#include <span>
#include <type_traits>

#include "engine/types.h"

// One formatter argument: the 32-bit word of a numeric or character
// conversion, or the string of an s conversion.
struct FORMATARG {
  ULONG ul;
  const CHAR* psz;
};

// Formats into pszDst and closes it with a NUL. Returns the bytes written
// before that NUL, 0 bytes from c included, so raw command bytes are sent by
// this count and not by the string length. The destination is not bounded:
// the caller gives room for the longest text it formats. A conversion with
// no argument left takes the word 0 (a string conversion writes nothing), and
// so does a string conversion whose argument has no string.
ULONG VSPRINTF(CHAR* pszDst, const CHAR* pszFormat, std::span<const FORMATARG> args);

// Arguments SPRINTF accepts: integers of at most 32 bits (signed ones are
// sign-extended to the word, as the formatter's callers expect of a negative
// value) and 8-bit strings.
template <typename T>
concept FormatWordArg = std::is_integral_v<T> && sizeof(T) <= sizeof(ULONG);

template <typename T>
concept FormatStringArg = std::is_same_v<T, CHAR*> || std::is_same_v<T, const CHAR*>;

template <typename T>
concept FormatArg = FormatWordArg<T> || FormatStringArg<T>;

template <FormatWordArg T>
constexpr FORMATARG MakeFormatArg(T value) {
  return {static_cast<ULONG>(static_cast<LONG>(value)), nullptr};
}

constexpr FORMATARG MakeFormatArg(const CHAR* psz) { return {0, psz}; }

namespace formatter_detail {

// Reached only when a format does not fit its arguments; being a plain
// function, it stops the compile-time check with an error at the call.
void FormatDoesNotMatchArguments();

// Whether conversion letter ch takes an argument, and whether a string.
constexpr bool TakesWord(CHAR ch) {
  switch (ch) {
    case 'd': case 'l': case 'u': case 'x': case 'X': case 'c': case 'b': case 'f':
      return true;
    default:
      return false;
  }
}

}  // namespace formatter_detail

// A format that is known, when compiled, to take exactly the arguments
// Args in order.
template <FormatArg... Args>
class FormatText {
 public:
  // Implicit, so that a format written at the call converts to it.
  consteval FormatText(const CHAR* psz) : psz_(psz) {
    constexpr bool bString[] = {FormatStringArg<Args>..., false};
    std::size_t iArg = 0;
    for (const CHAR* p = psz; *p != '\0'; ++p) {
      if (*p != '%') continue;
      ++p;
      if (*p == '\0') break;
      bool bWord = formatter_detail::TakesWord(*p);
      if (!bWord && *p != 's') continue;
      if (iArg == sizeof...(Args) || bString[iArg] == bWord) {
        formatter_detail::FormatDoesNotMatchArguments();
      }
      ++iArg;
    }
    if (iArg != sizeof...(Args)) formatter_detail::FormatDoesNotMatchArguments();
  }

  const CHAR* get() const { return psz_; }

 private:
  const CHAR* psz_;
};

// Formats args by format into pszDst; the result is that of VSPRINTF.
template <typename... Args>
ULONG SPRINTF(CHAR* pszDst, FormatText<std::decay_t<Args>...> format, Args&&... args) {
  const FORMATARG aArgs[] = {MakeFormatArg(args)..., FORMATARG{0, nullptr}};
  return VSPRINTF(pszDst, format.get(), std::span<const FORMATARG>(aArgs, sizeof...(Args)));
}
