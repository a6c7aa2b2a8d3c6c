// The driver's text formatter (see formatter.h for the conversions).
#include "lib/formatter.h"

namespace {

// Writes value in unsigned decimal at pch; returns the position behind it.
CHAR* PutUnsigned(CHAR* pch, ULONG value) {
  CHAR achDigits[10];
  ULONG cDigits = 0;
  do {
    achDigits[cDigits++] = static_cast<CHAR>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (cDigits != 0) *pch++ = achDigits[--cDigits];
  return pch;
}

CHAR* PutSigned(CHAR* pch, LONG value) {
  ULONG magnitude = static_cast<ULONG>(value);
  if (value < 0) {
    *pch++ = '-';
    magnitude = 0u - magnitude;
  }
  return PutUnsigned(pch, magnitude);
}

CHAR* PutHex(CHAR* pch, ULONG value) {
  constexpr CHAR achHex[] = "0123456789ABCDEF";
  int shift = 28;
  while (shift > 0 && (value >> shift) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) *pch++ = achHex[(value >> shift) & 0xF];
  return pch;
}

CHAR* PutString(CHAR* pch, const CHAR* psz) {
  if (psz == nullptr) return pch;
  while (*psz != '\0') *pch++ = *psz++;
  return pch;
}

// A PS real as its integer part and, when it has a fraction, a point and the
// fraction rounded to thousandths without trailing zeros.
CHAR* PutPSReal(CHAR* pch, LONG value) {
  ULONG v = static_cast<ULONG>(value);
  if (value < 0) {
    *pch++ = '-';
    v = 0u - v;
  }
  pch = PutUnsigned(pch, v >> 8);
  ULONG frac = v & 0xFF;
  if (frac == 0) return pch;
  *pch++ = '.';
  ULONG thousandths = (((frac * 100000u) >> 8) + 50u) / 100u;
  for (ULONG place = 100; place != 0 && thousandths != 0; place /= 10) {
    *pch++ = static_cast<CHAR>('0' + thousandths / place);
    thousandths %= place;
  }
  return pch;
}

}  // namespace

ULONG VSPRINTF(CHAR* pszDst, const CHAR* pszFormat, std::span<const FORMATARG> args) {
  CHAR* pch = pszDst;
  std::size_t iArg = 0;
  auto next = [&]() -> FORMATARG {
    return iArg < args.size() ? args[iArg++] : FORMATARG{0, nullptr};
  };

  for (const CHAR* pf = pszFormat; *pf != '\0'; ++pf) {
    if (*pf != '%') {
      *pch++ = *pf;
      continue;
    }
    CHAR conversion = *++pf;
    if (conversion == '\0') break;
    switch (conversion) {
      case 'd':
      case 'l':
        pch = PutSigned(pch, static_cast<LONG>(next().ul));
        break;
      case 'u':
        pch = PutUnsigned(pch, next().ul);
        break;
      case 'x':
      case 'X':
        pch = PutHex(pch, next().ul);
        break;
      case 's':
        pch = PutString(pch, next().psz);
        break;
      case 'c':
        *pch++ = static_cast<CHAR>(next().ul & 0xFF);
        break;
      case 'b':
        pch = PutString(pch, next().ul != 0 ? "true" : "false");
        break;
      case 'f':
        pch = PutPSReal(pch, static_cast<LONG>(next().ul));
        break;
      default:
        *pch++ = conversion;
        break;
    }
  }
  *pch = '\0';
  return static_cast<ULONG>(pch - pszDst);
}
