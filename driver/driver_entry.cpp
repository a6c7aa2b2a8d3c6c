// The entry-point table and DrvEnableDriver.
#include "driver/driver_entry.h"

#include "driver/instance.h"
#include "driver/surface.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "output/document_control.h"
#include "output/escapes.h"
#include "output/page_render.h"
#include "ppd/parser/description_lock.h"

namespace {

template <typename Function>
PFN Entry(Function* function) {
  return reinterpret_cast<PFN>(function);
}

}  // namespace

DRVFN gadrvfn[DRVFN_COUNT] = {
    {INDEX_DrvEnablePDEV, Entry(DrvEnablePDEV)},
    {INDEX_DrvResetPDEV, Entry(DrvResetPDEV)},
    {INDEX_DrvCompletePDEV, Entry(DrvCompletePDEV)},
    {INDEX_DrvDisablePDEV, Entry(DrvDisablePDEV)},
    {INDEX_DrvEnableSurface, Entry(DrvEnableSurface)},
    {INDEX_DrvDisableSurface, Entry(DrvDisableSurface)},
    {INDEX_DrvBitBlt, Entry(DrvBitBlt)},
    {INDEX_DrvStretchBlt, Entry(DrvStretchBlt)},
    {INDEX_DrvSendPage, Entry(DrvSendPage)},
    {INDEX_DrvStartPage, Entry(DrvStartPage)},
    {INDEX_DrvStartDoc, Entry(DrvStartDoc)},
    {INDEX_DrvEscape, Entry(DrvEscape)},
    {INDEX_DrvEndDoc, Entry(DrvEndDoc)},
};

BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  // The size is the record's on this platform, so the table pointer is
  // never written past the caller's buffer.
  if (iEngineVersion < DDI_DRIVER_VERSION_NT4 || cj < sizeof(DRVENABLEDATA)) {
    EngSetLastError(ERROR_BAD_DRIVER_LEVEL);
    return FALSE;
  }
  pded->iDriverVersion = DDI_DRIVER_VERSION_NT4;
  pded->c = DRVFN_COUNT;
  pded->pdrvfn = gadrvfn;
  // A second call keeps the lock the first made; a lock that cannot be made
  // now is made by the first parse that needs it.
  CreateDescriptionLock();
  return TRUE;
}
