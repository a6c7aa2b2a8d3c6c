// Bounded copies of 8-bit and UTF-16 texts, and conversions between the two
// through the platform's current 8-bit code page.
#pragma once

#include "engine/types.h"

// Converts src with its NUL into dst, which holds cch characters (cch of 0
// or less: the length of src plus 1), and ends dst with a NUL at cch - 1.
// Returns dst.
WCHAR* CopyStr2Unicode(WCHAR* pwszDst, const CHAR* pszSrc, LONG cch);

// Converts src with its NUL into dst, which holds cb bytes (cb of 0 or less:
// the length of src plus 1), and ends dst with a NUL at cb - 1. Returns dst.
CHAR* CopyUnicode2Str(CHAR* pszDst, const WCHAR* pwszSrc, LONG cb);

// Copies src into dst of cch characters, cut to cch - 1; every position
// behind the copied text is set to 0. A size of 0 leaves dst alone.
void CopyStringW(WCHAR* pwszDst, const WCHAR* pwszSrc, ULONG cch);
void CopyStringA(CHAR* pszDst, const CHAR* pszSrc, ULONG cb);
