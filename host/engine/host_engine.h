// The host engine: our implementation of the graphics engine's services for
// programs that drive the driver outside the graphics engine (tests, the
// cardprint program, the CUPS filter). A program makes one HostEngine and
// installs it (ScopedHostEngine) before it calls the driver; the parts tests
// and programs look at or set (pool accounting, spooler sinks, the printers'
// registry data, the forms database) are reachable here.
#pragma once

#include <cstddef>
#include <mutex>
#include <set>
#include <string>

#include "engine/engine_host.h"
#include "host/engine/forms_database.h"
#include "host/engine/pool_allocator.h"
#include "host/engine/printer_registry.h"
#include "host/engine/spooler.h"
#include "host/engine/surfaces.h"

class HostEngine : public EngineHost {
 public:
  HostEngine();
  ~HostEngine() override;

  PoolAllocator& pool() { return pool_; }
  Spooler& spooler() { return spooler_; }
  PrinterRegistry& registry() { return registry_; }
  FormsDatabase& forms() { return forms_; }
  SurfaceStore& surfaces() { return surfaces_; }

  // The engine's surface object of a surface the driver created, to draw
  // into it and to hand it to the driver's page entry points; null for an
  // unknown handle.
  SURFOBJ* SurfaceObject(HSURF hsurf) { return surfaces_.Object(hsurf); }
  // A device handle standing for the engine's device of a driver instance:
  // what DrvCompletePDEV receives; surfaces associated with it carry the
  // instance as their dhpdev.
  HDEV CreateDevice(DHPDEV dhpdev) { return surfaces_.CreateDevice(dhpdev); }

  // The driver's file name that EngGetDriverName reports, and the printer
  // data file name that EngGetPrinterDataFileName reports.
  void SetDriverName(std::u16string name) { driver_name_ = std::move(name); }
  void SetPrinterDataFileName(std::u16string name) { data_file_name_ = std::move(name); }

  // Modules and palettes the driver holds right now.
  std::size_t OpenModules() const;
  std::size_t OpenPalettes() const;

  // Makes every later EngLoadModule, EngCreatePalette or EngCreateSemaphore
  // fail (a null handle) until called again with false.
  void FailModuleLoads(bool fail);
  void FailPaletteCreation(bool fail);
  void FailSemaphoreCreation(bool fail);

  HSEMAPHORE EngCreateSemaphore() override;
  void EngAcquireSemaphore(HSEMAPHORE hsem) override;
  void EngReleaseSemaphore(HSEMAPHORE hsem) override;
  void EngDeleteSemaphore(HSEMAPHORE hsem) override;
  LPWSTR EngGetDriverName(HDEV hdev) override;
  HANDLE EngLoadModule(LPWSTR pwsz) override;
  void EngFreeModule(HANDLE h) override;
  LPWSTR EngGetPrinterDataFileName(HDEV hdev) override;
  PVOID EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag) override;
  void EngFreeMem(PVOID Mem) override;
  HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) override;
  BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) override;
  BOOL EngDeleteSurface(HSURF hsurf) override;
  HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                            FLONG flGreen, FLONG flBlue) override;
  BOOL EngDeletePalette(HPALETTE hpal) override;
  BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                 RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                 POINTL* pptlBrush, ROP4 rop4) override;
  BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                     XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                     RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) override;
  BOOL EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) override;
  DWORD EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                          DWORD nSize, LPDWORD pcbNeeded) override;
  BOOL EngEnumForms(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                    LPDWORD pcReturned) override;
  void EngSetLastError(ULONG iError) override;
  ULONG EngGetLastError() override;
  void FLOATOBJ_SetLong(FLOATOBJ* pf, LONG l) override;
  void FLOATOBJ_MulLong(FLOATOBJ* pf, LONG l) override;
  void FLOATOBJ_DivLong(FLOATOBJ* pf, LONG l) override;
  LONG FLOATOBJ_GetLong(FLOATOBJ* pf) override;
  void EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                              PULONG BytesInUnicodeString, PCHAR MultiByteString,
                              ULONG BytesInMultiByteString) override;
  void EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                              PULONG BytesInMultiByteString, PWSTR UnicodeString,
                              ULONG BytesInUnicodeString) override;
  NTSTATUS RtlUnicodeToMultiByteSize(PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                     ULONG BytesInUnicodeString) override;
  NTSTATUS RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                  PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                  ULONG BytesInUnicodeString) override;

 private:
  PoolAllocator pool_;
  Spooler spooler_;
  PrinterRegistry registry_;
  FormsDatabase forms_;
  SurfaceStore surfaces_;
  std::u16string driver_name_ = u"cardprint.dll";
  std::u16string data_file_name_ = u"cardprint.ppd";

  mutable std::mutex handles_mutex_;
  std::set<HANDLE> modules_;
  std::set<HANDLE> palettes_;
  bool fail_module_loads_ = false;
  bool fail_palette_creation_ = false;
  bool fail_semaphore_creation_ = false;
  std::uintptr_t next_handle_ = 0x1000;
};

// Installs a host engine for the life of the object and removes it after.
class ScopedHostEngine {
 public:
  explicit ScopedHostEngine(HostEngine& engine) { InstallEngineHost(&engine); }
  ~ScopedHostEngine() { InstallEngineHost(nullptr); }
  ScopedHostEngine(const ScopedHostEngine&) = delete;
  ScopedHostEngine& operator=(const ScopedHostEngine&) = delete;
};
