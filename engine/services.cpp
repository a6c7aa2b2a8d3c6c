#include "engine/services.h"

#include <atomic>

#include "engine/engine_host.h"

namespace {
std::atomic<EngineHost*> installed_host{nullptr};
}  // namespace

void InstallEngineHost(EngineHost* host) { installed_host.store(host, std::memory_order_release); }

EngineHost* InstalledEngineHost() { return installed_host.load(std::memory_order_acquire); }

HSEMAPHORE EngCreateSemaphore() { return InstalledEngineHost()->EngCreateSemaphore(); }

void EngAcquireSemaphore(HSEMAPHORE hsem) { InstalledEngineHost()->EngAcquireSemaphore(hsem); }

void EngReleaseSemaphore(HSEMAPHORE hsem) { InstalledEngineHost()->EngReleaseSemaphore(hsem); }

void EngDeleteSemaphore(HSEMAPHORE hsem) { InstalledEngineHost()->EngDeleteSemaphore(hsem); }

LPWSTR EngGetDriverName(HDEV hdev) { return InstalledEngineHost()->EngGetDriverName(hdev); }

HANDLE EngLoadModule(LPWSTR pwsz) { return InstalledEngineHost()->EngLoadModule(pwsz); }

void EngFreeModule(HANDLE h) { InstalledEngineHost()->EngFreeModule(h); }

LPWSTR EngGetPrinterDataFileName(HDEV hdev) {
  return InstalledEngineHost()->EngGetPrinterDataFileName(hdev);
}

PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag) {
  return InstalledEngineHost()->EngAllocMem(Flags, MemSize, Tag);
}

void EngFreeMem(PVOID Mem) { InstalledEngineHost()->EngFreeMem(Mem); }

HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  return InstalledEngineHost()->EngCreateBitmap(sizl, lWidth, iFormat, fl, pvBits);
}

BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  return InstalledEngineHost()->EngAssociateSurface(hsurf, hdev, flHooks);
}

BOOL EngDeleteSurface(HSURF hsurf) { return InstalledEngineHost()->EngDeleteSurface(hsurf); }

HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                          FLONG flBlue) {
  return InstalledEngineHost()->EngCreatePalette(iMode, cColors, pulColors, flRed, flGreen, flBlue);
}

BOOL EngDeletePalette(HPALETTE hpal) { return InstalledEngineHost()->EngDeletePalette(hpal); }

BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4) {
  return InstalledEngineHost()->EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc,
                                          pptlMask, pbo, pptlBrush, rop4);
}

BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) {
  return InstalledEngineHost()->EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg,
                                              prclDest, prclSrc, pptlMask, iMode);
}

BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return InstalledEngineHost()->EngWritePrinter(hPrinter, pBuf, cbBuf, pcWritten);
}

DWORD EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                        DWORD nSize, LPDWORD pcbNeeded) {
  return InstalledEngineHost()->EngGetPrinterData(hPrinter, pValueName, pType, pData, nSize,
                                                  pcbNeeded);
}

BOOL EngEnumForms(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                  LPDWORD pcReturned) {
  return InstalledEngineHost()->EngEnumForms(hPrinter, Level, pForm, cbBuf, pcbNeeded, pcReturned);
}

void EngSetLastError(ULONG iError) { InstalledEngineHost()->EngSetLastError(iError); }

ULONG EngGetLastError() { return InstalledEngineHost()->EngGetLastError(); }

void FLOATOBJ_SetLong(FLOATOBJ* pf, LONG l) { InstalledEngineHost()->FLOATOBJ_SetLong(pf, l); }

void FLOATOBJ_MulLong(FLOATOBJ* pf, LONG l) { InstalledEngineHost()->FLOATOBJ_MulLong(pf, l); }

void FLOATOBJ_DivLong(FLOATOBJ* pf, LONG l) { InstalledEngineHost()->FLOATOBJ_DivLong(pf, l); }

LONG FLOATOBJ_GetLong(FLOATOBJ* pf) { return InstalledEngineHost()->FLOATOBJ_GetLong(pf); }

void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                            PULONG BytesInUnicodeString, PCHAR MultiByteString,
                            ULONG BytesInMultiByteString) {
  InstalledEngineHost()->EngMultiByteToUnicodeN(UnicodeString, MaxBytesInUnicodeString,
                                                BytesInUnicodeString, MultiByteString,
                                                BytesInMultiByteString);
}

void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                            PULONG BytesInMultiByteString, PWSTR UnicodeString,
                            ULONG BytesInUnicodeString) {
  InstalledEngineHost()->EngUnicodeToMultiByteN(MultiByteString, MaxBytesInMultiByteString,
                                                BytesInMultiByteString, UnicodeString,
                                                BytesInUnicodeString);
}

NTSTATUS RtlUnicodeToMultiByteSize(PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                   ULONG BytesInUnicodeString) {
  return InstalledEngineHost()->RtlUnicodeToMultiByteSize(BytesInMultiByteString, UnicodeString,
                                                          BytesInUnicodeString);
}

NTSTATUS RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                ULONG BytesInUnicodeString) {
  return InstalledEngineHost()->RtlUnicodeToMultiByteN(MultiByteString, MaxBytesInMultiByteString,
                                                       BytesInMultiByteString, UnicodeString,
                                                       BytesInUnicodeString);
}
