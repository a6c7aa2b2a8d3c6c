#include "host/engine/devmode_check.h"

#include <cstring>

DEVMODEW* CheckedDevMode(std::span<std::uint8_t> bytes) {
  if (bytes.size() < kMinDevModeSize) return nullptr;
  if (reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(DEVMODEW) != 0) return nullptr;
  WORD size;
  WORD driver_extra;
  std::memcpy(&size, bytes.data() + offsetof(DEVMODEW, dmSize), sizeof size);
  std::memcpy(&driver_extra, bytes.data() + offsetof(DEVMODEW, dmDriverExtra), sizeof driver_extra);
  if (size < kMinDevModeSize) return nullptr;
  if (std::size_t{size} + driver_extra > bytes.size()) return nullptr;
  return reinterpret_cast<DEVMODEW*>(bytes.data());
}
