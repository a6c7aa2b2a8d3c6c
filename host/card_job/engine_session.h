// The graphics engine's side of a job, as the program plays it: a host engine
// installed for the job, one printer whose spooler output goes wherever the
// program sends it, the driver enabled once through DrvEnableDriver, and the
// drawing the engine's renderer does through the driver's hooks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "host/card_job/image.h"
#include "host/card_job/image_fit.h"
#include "host/driver_table/driver_table.h"
#include "host/engine/host_engine.h"

class EngineSession {
 public:
  EngineSession();
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  HostEngine& engine() { return engine_; }
  HANDLE printer() const { return printer_; }
  const DriverTable& driver() const { return driver_; }

 private:
  HostEngine engine_;
  ScopedHostEngine installed_{engine_};
  HANDLE printer_;
  DriverTable driver_;
};

// Calls DrvEnablePDEV through the table as the engine does: a device mode is
// passed only after its declared sizes were checked against its bytes (a
// Failure otherwise); bytes empty passes none. Null when the driver refuses.
DHPDEV EnablePdev(EngineSession& session, std::vector<std::uint8_t>& devmode,
                  std::u16string device_name, Capabilities& caps);

// A picture as a bitmap the engine made, to be the source of a blit or a
// stretch: 24 bits per pixel, rows top-down.
class SourceBitmap {
 public:
  SourceBitmap(HostEngine& engine, const RgbImage& picture);
  ~SourceBitmap();
  SourceBitmap(const SourceBitmap&) = delete;
  SourceBitmap& operator=(const SourceBitmap&) = delete;

  SURFOBJ* object() const { return object_; }

 private:
  HostEngine& engine_;
  std::vector<std::uint8_t> bits_;
  HSURF handle_ = nullptr;
  SURFOBJ* object_ = nullptr;
};

// The engine's renderer drawing on a device surface through the driver's
// hooks; each returns the hook's result.
// A solid fill of target (device coordinates, right and bottom exclusive):
// DrvBitBlt with a solid brush.
BOOL FillRectangle(const DriverTable& driver, SURFOBJ* surface, RECTL target, std::uint8_t red,
                   std::uint8_t green, std::uint8_t blue);
// The whole picture copied 1:1 with its top-left corner at `at`: DrvBitBlt
// SRCCOPY.
BOOL CopyPicture(const DriverTable& driver, SURFOBJ* surface, const SourceBitmap& picture,
                 POINTL at);
// A part of the picture stretched onto a part of the surface: DrvStretchBlt.
BOOL StretchPicture(const DriverTable& driver, SURFOBJ* surface, const SourceBitmap& picture,
                    const Placement& placement);

// One device context of the printer for a print job: an instance enabled
// with a device mode, completed with its device handle, and its surface.
// Everything the driver refuses is a Failure; the destructor disables the
// surface and the instance.
class DeviceContext {
 public:
  DeviceContext(EngineSession& session, const CARDDEVMODE& devmode, std::u16string device_name);
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  SURFOBJ* surface() const { return surface_; }
  int width() const { return surface_->sizlBitmap.cx; }
  int height() const { return surface_->sizlBitmap.cy; }

  // DrvEscape with the input bytes and an output buffer; its result.
  ULONG Escape(ULONG escape, std::span<const std::uint8_t> input, std::span<std::uint8_t> output);
  void StartDocument();
  void StartPage();
  void DrawPicture(const RgbImage& picture, const Placement& placement);
  void SendPage();
  void EndDocument();

 private:
  void Release();

  EngineSession& session_;
  DHPDEV pdev_ = nullptr;
  HDEV hdev_ = nullptr;
  SURFOBJ* surface_ = nullptr;
};
