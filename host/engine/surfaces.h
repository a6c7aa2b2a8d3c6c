// Bitmap surfaces as the host provides them. A surface is a SURFOBJ over a
// pixel buffer, laid out as the platform lays out device bitmaps: rows of
// lWidth bytes; a top-down bitmap (BMF_TOPDOWN) has its top image row first
// in memory, a bottom-up one its bottom row, so that pvBits is the lowest
// address, pvScan0 the top image row and lDelta negative. The buffer is the
// caller's when one is given, otherwise the surface's own.
//
// Devices stand for the engine's device handles: a program registers the
// driver instance of each device, and associating a surface with the device
// fills in the surface's dhpdev, as the engine does before it calls the
// driver's drawing and page entry points.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/records.h"
#include "engine/types.h"

class SurfaceStore {
 public:
  // Formats BMF_24BPP (bytes blue, green, red in memory) and BMF_32BPP
  // (words 0x00BBGGRR). Null for any other format, an empty size, a row
  // width too small for the row, a bitmap of more than 2^31 - 1 bytes, or
  // memory the host cannot have; nothing is thrown.
  HBITMAP CreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
  BOOL Associate(HSURF hsurf, HDEV hdev, FLONG flHooks);
  BOOL Delete(HSURF hsurf);

  // The surface object of a surface, valid until the surface is deleted;
  // null for an unknown handle.
  SURFOBJ* Object(HSURF hsurf);
  FLONG Hooks(HSURF hsurf) const;
  std::size_t OpenSurfaces() const;

  // A device handle for a driver instance, and its removal.
  HDEV CreateDevice(DHPDEV dhpdev);
  void DeleteDevice(HDEV hdev);

 private:
  struct Surface {
    SURFOBJ object{};
    FLONG hooks = 0;
    std::vector<std::uint32_t> owned_bits;
  };

  mutable std::mutex mutex_;
  std::map<HSURF, std::unique_ptr<Surface>> surfaces_;
  std::map<HDEV, DHPDEV> devices_;
  std::uintptr_t next_handle_ = 0x9000;
};
