// The one interface between the driver and whatever provides the graphics
// engine's services: a host (the tests, the cardprint program, the CUPS
// filter) implements every service and installs itself before it calls the
// driver. The services of engine/services.h forward to the installed host.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

class EngineHost {
 public:
  virtual ~EngineHost() = default;

  virtual HSEMAPHORE EngCreateSemaphore() = 0;
  virtual void EngAcquireSemaphore(HSEMAPHORE hsem) = 0;
  virtual void EngReleaseSemaphore(HSEMAPHORE hsem) = 0;
  virtual void EngDeleteSemaphore(HSEMAPHORE hsem) = 0;
  virtual LPWSTR EngGetDriverName(HDEV hdev) = 0;
  virtual HANDLE EngLoadModule(LPWSTR pwsz) = 0;
  virtual void EngFreeModule(HANDLE h) = 0;
  virtual LPWSTR EngGetPrinterDataFileName(HDEV hdev) = 0;
  virtual PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag) = 0;
  virtual void EngFreeMem(PVOID Mem) = 0;
  virtual HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl,
                                  PVOID pvBits) = 0;
  virtual BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) = 0;
  virtual BOOL EngDeleteSurface(HSURF hsurf) = 0;
  virtual HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                    FLONG flGreen, FLONG flBlue) = 0;
  virtual BOOL EngDeletePalette(HPALETTE hpal) = 0;
  virtual BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                         XLATEOBJ* pxlo, RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask,
                         BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) = 0;
  virtual BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                             XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                             RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) = 0;
  virtual BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) = 0;
  virtual DWORD EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                                  DWORD nSize, LPDWORD pcbNeeded) = 0;
  virtual BOOL EngEnumForms(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                            LPDWORD pcbNeeded, LPDWORD pcReturned) = 0;
  virtual void EngSetLastError(ULONG iError) = 0;
  virtual ULONG EngGetLastError() = 0;
  virtual void FLOATOBJ_SetLong(FLOATOBJ* pf, LONG l) = 0;
  virtual void FLOATOBJ_MulLong(FLOATOBJ* pf, LONG l) = 0;
  virtual void FLOATOBJ_DivLong(FLOATOBJ* pf, LONG l) = 0;
  virtual LONG FLOATOBJ_GetLong(FLOATOBJ* pf) = 0;
  virtual void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                      PULONG BytesInUnicodeString, PCHAR MultiByteString,
                                      ULONG BytesInMultiByteString) = 0;
  virtual void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                      PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                      ULONG BytesInUnicodeString) = 0;
  virtual NTSTATUS RtlUnicodeToMultiByteSize(PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                             ULONG BytesInUnicodeString) = 0;
  virtual NTSTATUS RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                          PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                          ULONG BytesInUnicodeString) = 0;
};

// Makes host the provider of every service, for all threads; null removes it.
void InstallEngineHost(EngineHost* host);
EngineHost* InstalledEngineHost();
