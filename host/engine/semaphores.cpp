#include "host/engine/semaphores.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct SemaphoreStore {
  std::mutex mutex;
  std::map<HSEMAPHORE, std::unique_ptr<std::recursive_mutex>> semaphores;
  // Apart from the handles of the host engines' other objects.
  std::uintptr_t next_handle = 0x5E000000;
};

SemaphoreStore& Store() {
  static SemaphoreStore store;
  return store;
}

std::recursive_mutex& Find(HSEMAPHORE hsem) {
  SemaphoreStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto found = store.semaphores.find(hsem);
  if (found == store.semaphores.end()) {
    std::fprintf(stderr, "host engine: semaphore %p does not exist\n", static_cast<void*>(hsem));
    std::abort();
  }
  return *found->second;
}

}  // namespace

HSEMAPHORE CreateHostSemaphore() {
  SemaphoreStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto handle = reinterpret_cast<HSEMAPHORE>(store.next_handle += 0x10);
  store.semaphores.emplace(handle, std::make_unique<std::recursive_mutex>());
  return handle;
}

void AcquireHostSemaphore(HSEMAPHORE hsem) { Find(hsem).lock(); }

void ReleaseHostSemaphore(HSEMAPHORE hsem) { Find(hsem).unlock(); }

void DeleteHostSemaphore(HSEMAPHORE hsem) {
  SemaphoreStore& store = Store();
  std::lock_guard lock(store.mutex);
  store.semaphores.erase(hsem);
}

std::size_t HostSemaphoreCount() {
  SemaphoreStore& store = Store();
  std::lock_guard lock(store.mutex);
  return store.semaphores.size();
}
