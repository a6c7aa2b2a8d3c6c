#include "host/engine/surfaces.h"

#include <new>

#include "engine/constants.h"

namespace {

ULONG BytesPerPixel(ULONG iFormat) {
  switch (iFormat) {
    case BMF_24BPP:
      return 3;
    case BMF_32BPP:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

HBITMAP SurfaceStore::CreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  ULONG bytes_per_pixel = BytesPerPixel(iFormat);
  if (bytes_per_pixel == 0 || sizl.cx <= 0 || sizl.cy <= 0) return nullptr;
  std::int64_t row_bytes = std::int64_t{sizl.cx} * bytes_per_pixel;
  // The host's own rows are padded to whole words, as device-independent
  // bitmaps are.
  std::int64_t stride = pvBits != nullptr ? lWidth : (row_bytes + 3) / 4 * 4;
  // The size is checked before anything is allocated: a bitmap the platform
  // cannot describe (cjBits is 32 bits) is refused with null, and no
  // allocation failure leaves the host as an exception into the driver.
  if (stride < row_bytes || stride * sizl.cy > INT32_MAX) return nullptr;

  std::unique_ptr<Surface> surface;
  BYTE* base;
  try {
    surface = std::make_unique<Surface>();
    if (pvBits != nullptr) {
      base = static_cast<BYTE*>(pvBits);
    } else {
      surface->owned_bits.assign(static_cast<std::size_t>(stride / 4 * sizl.cy), 0);
      base = reinterpret_cast<BYTE*>(surface->owned_bits.data());
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }

  std::lock_guard lock(mutex_);
  auto handle = reinterpret_cast<HSURF>(next_handle_ += 0x10);
  SURFOBJ& so = surface->object;
  so.hsurf = handle;
  so.sizlBitmap = sizl;
  so.cjBits = static_cast<ULONG>(stride * sizl.cy);
  so.pvBits = base;
  if (fl & BMF_TOPDOWN) {
    so.pvScan0 = base;
    so.lDelta = static_cast<LONG>(stride);
  } else {
    so.pvScan0 = base + stride * (sizl.cy - 1);
    so.lDelta = static_cast<LONG>(-stride);
  }
  so.iUniq = 1;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = static_cast<USHORT>(fl & BMF_TOPDOWN);
  try {
    surfaces_.emplace(handle, std::move(surface));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return handle;
}

BOOL SurfaceStore::Associate(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  std::lock_guard lock(mutex_);
  auto surface = surfaces_.find(hsurf);
  auto device = devices_.find(hdev);
  if (surface == surfaces_.end() || device == devices_.end()) return FALSE;
  surface->second->object.hdev = hdev;
  surface->second->object.dhpdev = device->second;
  surface->second->hooks = flHooks;
  return TRUE;
}

BOOL SurfaceStore::Delete(HSURF hsurf) {
  std::lock_guard lock(mutex_);
  return surfaces_.erase(hsurf) == 1 ? TRUE : FALSE;
}

SURFOBJ* SurfaceStore::Object(HSURF hsurf) {
  std::lock_guard lock(mutex_);
  auto surface = surfaces_.find(hsurf);
  return surface == surfaces_.end() ? nullptr : &surface->second->object;
}

FLONG SurfaceStore::Hooks(HSURF hsurf) const {
  std::lock_guard lock(mutex_);
  auto surface = surfaces_.find(hsurf);
  return surface == surfaces_.end() ? 0 : surface->second->hooks;
}

std::size_t SurfaceStore::OpenSurfaces() const {
  std::lock_guard lock(mutex_);
  return surfaces_.size();
}

HDEV SurfaceStore::CreateDevice(DHPDEV dhpdev) {
  std::lock_guard lock(mutex_);
  auto handle = reinterpret_cast<HDEV>(next_handle_ += 0x10);
  devices_.emplace(handle, dhpdev);
  return handle;
}

void SurfaceStore::DeleteDevice(HDEV hdev) {
  std::lock_guard lock(mutex_);
  devices_.erase(hdev);
}
