#include "host/engine/host_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/constants.h"
#include "host/engine/blits.h"
#include "host/engine/code_page.h"
#include "host/engine/semaphores.h"

namespace {

thread_local ULONG last_error = 0;

double FloatOf(const FLOATOBJ* pf) {
  double value;
  std::memcpy(&value, pf, sizeof value);
  return value;
}

void SetFloat(FLOATOBJ* pf, double value) { std::memcpy(pf, &value, sizeof value); }

}  // namespace

HostEngine::HostEngine() = default;
HostEngine::~HostEngine() = default;

std::size_t HostEngine::OpenModules() const {
  std::lock_guard lock(handles_mutex_);
  return modules_.size();
}

std::size_t HostEngine::OpenPalettes() const {
  std::lock_guard lock(handles_mutex_);
  return palettes_.size();
}

void HostEngine::FailModuleLoads(bool fail) {
  std::lock_guard lock(handles_mutex_);
  fail_module_loads_ = fail;
}

void HostEngine::FailPaletteCreation(bool fail) {
  std::lock_guard lock(handles_mutex_);
  fail_palette_creation_ = fail;
}

void HostEngine::FailSemaphoreCreation(bool fail) {
  std::lock_guard lock(handles_mutex_);
  fail_semaphore_creation_ = fail;
}

// Semaphores: process-wide (host/engine/semaphores.h); only the failure
// switch belongs to this engine.
HSEMAPHORE HostEngine::EngCreateSemaphore() {
  {
    std::lock_guard lock(handles_mutex_);
    if (fail_semaphore_creation_) return nullptr;
  }
  return CreateHostSemaphore();
}

void HostEngine::EngAcquireSemaphore(HSEMAPHORE hsem) { AcquireHostSemaphore(hsem); }

void HostEngine::EngReleaseSemaphore(HSEMAPHORE hsem) { ReleaseHostSemaphore(hsem); }

void HostEngine::EngDeleteSemaphore(HSEMAPHORE hsem) { DeleteHostSemaphore(hsem); }

// Modules and files.
LPWSTR HostEngine::EngGetDriverName(HDEV) { return driver_name_.data(); }

HANDLE HostEngine::EngLoadModule(LPWSTR pwsz) {
  if (pwsz == nullptr) return nullptr;
  std::lock_guard lock(handles_mutex_);
  if (fail_module_loads_) return nullptr;
  auto handle = reinterpret_cast<HANDLE>(next_handle_ += 0x10);
  modules_.insert(handle);
  return handle;
}

void HostEngine::EngFreeModule(HANDLE h) {
  std::lock_guard lock(handles_mutex_);
  modules_.erase(h);
}

LPWSTR HostEngine::EngGetPrinterDataFileName(HDEV) { return data_file_name_.data(); }

// Pool memory.
PVOID HostEngine::EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag) {
  return pool_.Alloc(Flags, MemSize, Tag);
}

void HostEngine::EngFreeMem(PVOID Mem) { pool_.Free(Mem); }

// Surfaces, palettes and the renderer.
HBITMAP HostEngine::EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl,
                                    PVOID pvBits) {
  return surfaces_.CreateBitmap(sizl, lWidth, iFormat, fl, pvBits);
}

BOOL HostEngine::EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  return surfaces_.Associate(hsurf, hdev, flHooks);
}

BOOL HostEngine::EngDeleteSurface(HSURF hsurf) { return surfaces_.Delete(hsurf); }

HPALETTE HostEngine::EngCreatePalette(ULONG, ULONG, ULONG*, FLONG, FLONG, FLONG) {
  std::lock_guard lock(handles_mutex_);
  if (fail_palette_creation_) return nullptr;
  auto handle = reinterpret_cast<HPALETTE>(next_handle_ += 0x10);
  palettes_.insert(handle);
  return handle;
}

BOOL HostEngine::EngDeletePalette(HPALETTE hpal) {
  std::lock_guard lock(handles_mutex_);
  return palettes_.erase(hpal) == 1 ? TRUE : FALSE;
}

BOOL HostEngine::EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*,
                           RECTL* prclTrg, POINTL* pptlSrc, POINTL*, BRUSHOBJ* pbo, POINTL*,
                           ROP4 rop4) {
  return HostBitBlt(psoTrg, psoSrc, pco, prclTrg, pptlSrc, pbo, rop4);
}

BOOL HostEngine::EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*,
                               COLORADJUSTMENT* pca, POINTL*, RECTL* prclDest, RECTL* prclSrc,
                               POINTL*, ULONG iMode) {
  return HostStretchBlt(psoDest, psoSrc, pco, pca, prclDest, prclSrc, iMode);
}

// The spooler.
BOOL HostEngine::EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return spooler_.Write(hPrinter, pBuf, cbBuf, pcWritten);
}

DWORD HostEngine::EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType,
                                     LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  return registry_.Query(hPrinter, pValueName, pType, pData, nSize, pcbNeeded);
}

// The forms database is the whole system's, whichever printer asks.
BOOL HostEngine::EngEnumForms(HANDLE, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                              LPDWORD pcReturned) {
  DWORD error = forms_.Enumerate(Level, pForm, cbBuf, pcbNeeded, pcReturned);
  if (error == ERROR_SUCCESS) return TRUE;
  EngSetLastError(error);
  return FALSE;
}

// Last error, per thread.
void HostEngine::EngSetLastError(ULONG iError) { last_error = iError; }

ULONG HostEngine::EngGetLastError() { return last_error; }

// Floating-point objects hold a double; products of two 32-bit values stay
// exact and the integer part is taken towards zero, saturating at the ends of
// the 32-bit range.
void HostEngine::FLOATOBJ_SetLong(FLOATOBJ* pf, LONG l) { SetFloat(pf, l); }

void HostEngine::FLOATOBJ_MulLong(FLOATOBJ* pf, LONG l) { SetFloat(pf, FloatOf(pf) * l); }

void HostEngine::FLOATOBJ_DivLong(FLOATOBJ* pf, LONG l) { SetFloat(pf, FloatOf(pf) / l); }

LONG HostEngine::FLOATOBJ_GetLong(FLOATOBJ* pf) {
  double value = std::trunc(FloatOf(pf));
  if (std::isnan(value)) return 0;
  return static_cast<LONG>(std::clamp(value, double{INT32_MIN}, double{INT32_MAX}));
}

// Code pages. Sizes are in bytes; a conversion stops at whichever of the
// source and the destination ends first.
void HostEngine::EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                        PULONG BytesInUnicodeString, PCHAR MultiByteString,
                                        ULONG BytesInMultiByteString) {
  ULONG count = std::min(MaxBytesInUnicodeString / 2, BytesInMultiByteString);
  for (ULONG i = 0; i < count; ++i) {
    UnicodeString[i] = AnsiToUnicode(static_cast<unsigned char>(MultiByteString[i]));
  }
  if (BytesInUnicodeString != nullptr) *BytesInUnicodeString = count * 2;
}

void HostEngine::EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                        PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                        ULONG BytesInUnicodeString) {
  RtlUnicodeToMultiByteN(MultiByteString, MaxBytesInMultiByteString, BytesInMultiByteString,
                         UnicodeString, BytesInUnicodeString);
}

NTSTATUS HostEngine::RtlUnicodeToMultiByteSize(PULONG BytesInMultiByteString, PCWCH,
                                               ULONG BytesInUnicodeString) {
  *BytesInMultiByteString = BytesInUnicodeString / 2;
  return STATUS_SUCCESS;
}

NTSTATUS HostEngine::RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                            PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                            ULONG BytesInUnicodeString) {
  ULONG units = BytesInUnicodeString / 2;
  ULONG count = std::min(MaxBytesInMultiByteString, units);
  for (ULONG i = 0; i < count; ++i) {
    MultiByteString[i] = static_cast<CHAR>(UnicodeToAnsi(UnicodeString[i]));
  }
  if (BytesInMultiByteString != nullptr) *BytesInMultiByteString = count;
  return count < units ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
}
