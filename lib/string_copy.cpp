// Bounded copies and code-page conversions of texts.
#include "lib/string_copy.h"

#include "engine/services.h"

namespace {

template <typename Char>
ULONG Length(const Char* psz) {
  ULONG cch = 0;
  while (psz[cch] != 0) ++cch;
  return cch;
}

template <typename Char>
void CopyString(Char* pDst, const Char* pSrc, ULONG cch) {
  if (cch == 0) return;
  ULONG i = 0;
  for (; i < cch - 1 && pSrc[i] != 0; ++i) pDst[i] = pSrc[i];
  for (; i < cch; ++i) pDst[i] = 0;
}

}  // namespace

WCHAR* CopyStr2Unicode(WCHAR* pwszDst, const CHAR* pszSrc, LONG cch) {
  ULONG cbSrc = Length(pszSrc) + 1;
  ULONG cchDst = cch > 0 ? static_cast<ULONG>(cch) : cbSrc;
  ULONG cbWritten = 0;
  EngMultiByteToUnicodeN(pwszDst, cchDst * sizeof(WCHAR), &cbWritten, const_cast<CHAR*>(pszSrc),
                         cbSrc);
  pwszDst[cchDst - 1] = 0;
  return pwszDst;
}

CHAR* CopyUnicode2Str(CHAR* pszDst, const WCHAR* pwszSrc, LONG cb) {
  ULONG cbSrc = (Length(pwszSrc) + 1) * sizeof(WCHAR);
  ULONG cbDst = cb > 0 ? static_cast<ULONG>(cb) : Length(pwszSrc) + 1;
  ULONG cbWritten = 0;
  EngUnicodeToMultiByteN(pszDst, cbDst, &cbWritten, const_cast<WCHAR*>(pwszSrc), cbSrc);
  pszDst[cbDst - 1] = 0;
  return pszDst;
}

void CopyStringW(WCHAR* pwszDst, const WCHAR* pwszSrc, ULONG cch) {
  CopyString(pwszDst, pwszSrc, cch);
}

void CopyStringA(CHAR* pszDst, const CHAR* pszSrc, ULONG cb) { CopyString(pszDst, pszSrc, cb); }
