#include "fuzz/printer_session.h"

#include <cstdio>
#include <cstdlib>
#include <string>

PrinterSession& PrinterSession::Get() {
  static PrinterSession session;
  return session;
}

PrinterSession::PrinterSession() {
  DriverEnabling enabled = EnableDriverTable();
  if (!enabled.table) {
    std::fprintf(stderr, "%s\n", enabled.failure.c_str());
    std::abort();
  }
  driver_ = *enabled.table;
  printer_ = engine_.spooler().OpenPrinter();
  engine_.spooler().StreamTo(printer_, [](const std::uint8_t*, std::size_t) { return true; });
}

bool PrinterSession::Enable(DEVMODEW* pdm) {
  GDIINFO gdi{};
  DEVINFO devinfo{};
  std::u16string device_name = u"Card Printer";
  dhpdev_ = driver_.EnablePDEV(pdm, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi),
                               sizeof devinfo, &devinfo, nullptr, device_name.data(), printer_);
  if (dhpdev_ == nullptr) return false;
  hdev_ = engine_.CreateDevice(dhpdev_);
  driver_.CompletePDEV(dhpdev_, hdev_);
  HSURF hsurf = driver_.EnableSurface(dhpdev_);
  surface_ = hsurf != nullptr ? engine_.SurfaceObject(hsurf) : nullptr;
  if (surface_ == nullptr) {
    Disable();
    return false;
  }
  return true;
}

void PrinterSession::PrintPage() {
  driver_.StartDoc(surface_, nullptr, 1);
  driver_.StartPage(surface_);
  driver_.SendPage(surface_);
  driver_.EndDoc(surface_, 0);
}

void PrinterSession::Disable() {
  if (dhpdev_ != nullptr) {
    driver_.DisableSurface(dhpdev_);
    driver_.DisablePDEV(dhpdev_);
    engine_.surfaces().DeleteDevice(hdev_);
  }
  dhpdev_ = nullptr;
  hdev_ = nullptr;
  surface_ = nullptr;
  if (engine_.pool().Outstanding().blocks != 0 || engine_.surfaces().OpenSurfaces() != 0) {
    for (const auto& [tag, usage] : engine_.pool().OutstandingByTag()) {
      std::fprintf(stderr, "pool tag %s still holds %zu blocks\n", TagName(tag).c_str(),
                   usage.blocks);
    }
    std::fprintf(stderr, "%zu surfaces still open\n", engine_.surfaces().OpenSurfaces());
    std::abort();
  }
}
