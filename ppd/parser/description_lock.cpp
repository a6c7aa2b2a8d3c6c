#include "ppd/parser/description_lock.h"

#include "engine/services.h"

std::atomic<HSEMAPHORE> hPpdSemaphore{nullptr};

HSEMAPHORE CreateDescriptionLock() {
  HSEMAPHORE hsem = hPpdSemaphore.load(std::memory_order_acquire);
  if (hsem != nullptr) return hsem;
  HSEMAPHORE made = EngCreateSemaphore();
  if (made == nullptr) return nullptr;
  if (hPpdSemaphore.compare_exchange_strong(hsem, made, std::memory_order_acq_rel)) return made;
  // Another thread stored its lock first; hsem now holds that one.
  EngDeleteSemaphore(made);
  return hsem;
}

BOOL AcquireDescriptionLock() {
  HSEMAPHORE hsem = CreateDescriptionLock();
  if (hsem == nullptr) return FALSE;
  EngAcquireSemaphore(hsem);
  return TRUE;
}

void ReleaseDescriptionLock() { EngReleaseSemaphore(hPpdSemaphore.load(std::memory_order_acquire)); }
