// The graphics engine's services as the driver calls them, under their
// platform names. Each forwards to the engine host that the program has
// installed (engine/engine_host.h).
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Semaphores.
HSEMAPHORE EngCreateSemaphore();
void EngAcquireSemaphore(HSEMAPHORE hsem);
void EngReleaseSemaphore(HSEMAPHORE hsem);
void EngDeleteSemaphore(HSEMAPHORE hsem);

// Modules and the printer's files.
LPWSTR EngGetDriverName(HDEV hdev);
HANDLE EngLoadModule(LPWSTR pwsz);
void EngFreeModule(HANDLE h);
LPWSTR EngGetPrinterDataFileName(HDEV hdev);

// Pool memory: flags 0 or FL_ZERO_MEMORY, size in bytes, a four-character tag.
PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag);
void EngFreeMem(PVOID Mem);

// Surfaces and palettes.
HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
BOOL EngDeleteSurface(HSURF hsurf);
HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                          FLONG flBlue);
BOOL EngDeletePalette(HPALETTE hpal);

// The engine's own renderer.
BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4);
BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);

// The spooler.
BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
DWORD EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                        DWORD nSize, LPDWORD pcbNeeded);
BOOL EngEnumForms(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                  LPDWORD pcReturned);

// Last error of the calling thread.
void EngSetLastError(ULONG iError);
ULONG EngGetLastError();

// Floating-point objects.
void FLOATOBJ_SetLong(FLOATOBJ* pf, LONG l);
void FLOATOBJ_MulLong(FLOATOBJ* pf, LONG l);
void FLOATOBJ_DivLong(FLOATOBJ* pf, LONG l);
LONG FLOATOBJ_GetLong(FLOATOBJ* pf);

// Code pages: the host's ANSI code page to UTF-16 and back (sizes in bytes).
void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                            PULONG BytesInUnicodeString, PCHAR MultiByteString,
                            ULONG BytesInMultiByteString);
void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                            PULONG BytesInMultiByteString, PWSTR UnicodeString,
                            ULONG BytesInUnicodeString);
NTSTATUS RtlUnicodeToMultiByteSize(PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                   ULONG BytesInUnicodeString);
NTSTATUS RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                ULONG BytesInUnicodeString);
