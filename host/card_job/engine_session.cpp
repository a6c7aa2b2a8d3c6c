#include "host/card_job/engine_session.h"

#include <cstring>

#include "engine/constants.h"
#include "engine/services.h"
#include "host/card_job/device_settings.h"
#include "host/card_job/errors.h"
#include "host/engine/devmode_check.h"

namespace {

std::string LastError() { return "error " + std::to_string(EngGetLastError()); }

// The driver's table; a Failure when the driver does not give a whole one.
DriverTable EnableDriver() {
  DriverEnabling enabled = EnableDriverTable();
  if (!enabled.table) throw Failure(enabled.failure + ".");
  return *enabled.table;
}

}  // namespace

EngineSession::EngineSession()
    : printer_(engine_.spooler().OpenPrinter()), driver_(EnableDriver()) {}

EngineSession::~EngineSession() { engine_.spooler().ClosePrinter(printer_); }

DHPDEV EnablePdev(EngineSession& session, std::vector<std::uint8_t>& devmode,
                  std::u16string device_name, Capabilities& caps) {
  DEVMODEW* checked = nullptr;
  if (!devmode.empty()) {
    checked = CheckedDevMode(devmode);
    if (checked == nullptr) {
      throw Failure("the device mode's declared sizes do not fit its " +
                    std::to_string(devmode.size()) + " bytes.");
    }
  }
  caps = Capabilities{};
  std::u16string log_address;
  return session.driver().EnablePDEV(checked, log_address.data(), 0, nullptr, sizeof caps.gdi,
                                     reinterpret_cast<ULONG*>(&caps.gdi), sizeof caps.devinfo,
                                     &caps.devinfo, nullptr, device_name.data(), session.printer());
}

SourceBitmap::SourceBitmap(HostEngine& engine, const RgbImage& picture) : engine_(engine) {
  LONG stride = (picture.width * 3 + 3) & ~3;
  bits_.resize(static_cast<std::size_t>(stride) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = &bits_[static_cast<std::size_t>(y) * stride];
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* rgb = picture.at(x, y);
      row[3 * x] = rgb[2];
      row[3 * x + 1] = rgb[1];
      row[3 * x + 2] = rgb[0];
    }
  }
  handle_ = engine_.EngCreateBitmap(SIZEL{picture.width, picture.height}, stride, BMF_24BPP,
                                    BMF_TOPDOWN, bits_.data());
  object_ = engine_.SurfaceObject(handle_);
  if (object_ == nullptr) throw Failure("the engine could not make a bitmap of the picture.");
}

SourceBitmap::~SourceBitmap() {
  if (handle_ != nullptr) engine_.EngDeleteSurface(handle_);
}

BOOL FillRectangle(const DriverTable& driver, SURFOBJ* surface, RECTL target, std::uint8_t red,
                   std::uint8_t green, std::uint8_t blue) {
  BRUSHOBJ brush{static_cast<ULONG>(red | green << 8 | blue << 16), nullptr, 0};
  return driver.BitBlt(surface, nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr,
                       &brush, nullptr, ROP4_PATCOPY);
}

BOOL CopyPicture(const DriverTable& driver, SURFOBJ* surface, const SourceBitmap& picture,
                 POINTL at) {
  SIZEL size = picture.object()->sizlBitmap;
  RECTL target{at.x, at.y, at.x + size.cx, at.y + size.cy};
  POINTL origin{0, 0};
  return driver.BitBlt(surface, picture.object(), nullptr, nullptr, nullptr, &target, &origin,
                       nullptr, nullptr, nullptr, ROP4_SRCCOPY);
}

BOOL StretchPicture(const DriverTable& driver, SURFOBJ* surface, const SourceBitmap& picture,
                    const Placement& placement) {
  RECTL target{placement.target.left, placement.target.top, placement.target.right,
               placement.target.bottom};
  RECTL source{placement.source.left, placement.source.top, placement.source.right,
               placement.source.bottom};
  POINTL origin{0, 0};
  return driver.StretchBlt(surface, picture.object(), nullptr, nullptr, nullptr, nullptr, &origin,
                           &target, &source, nullptr, HALFTONE);
}

DeviceContext::DeviceContext(EngineSession& session, const CARDDEVMODE& devmode,
                             std::u16string device_name)
    : session_(session) {
  std::vector<std::uint8_t> bytes = BytesOf(devmode);
  Capabilities caps;
  pdev_ = EnablePdev(session, bytes, std::move(device_name), caps);
  if (pdev_ == nullptr) {
    throw Failure("the driver could not make a device instance (" + LastError() + ").");
  }
  hdev_ = session.engine().CreateDevice(pdev_);
  session.driver().CompletePDEV(pdev_, hdev_);
  HSURF surface = session.driver().EnableSurface(pdev_);
  surface_ = session.engine().SurfaceObject(surface);
  if (surface_ == nullptr) {
    Release();
    throw Failure("the driver could not make its drawing surface (" + LastError() + ").");
  }
}

DeviceContext::~DeviceContext() { Release(); }

void DeviceContext::Release() {
  if (pdev_ == nullptr) return;
  session_.driver().DisableSurface(pdev_);
  session_.driver().DisablePDEV(pdev_);
  session_.engine().surfaces().DeleteDevice(hdev_);
  pdev_ = nullptr;
}

ULONG DeviceContext::Escape(ULONG escape, std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) {
  std::vector<std::uint8_t> in(input.begin(), input.end());
  return session_.driver().Escape(
      surface_, escape, static_cast<ULONG>(in.size()), in.empty() ? nullptr : in.data(),
      static_cast<ULONG>(output.size()), output.empty() ? nullptr : output.data());
}

void DeviceContext::StartDocument() {
  std::u16string name = u"cardprint";
  if (!session_.driver().StartDoc(surface_, name.data(), 1)) {
    throw Failure("the driver could not start the document (" + LastError() + ").");
  }
}

void DeviceContext::StartPage() {
  if (!session_.driver().StartPage(surface_)) {
    throw Failure("the driver could not start a card (" + LastError() + ").");
  }
}

void DeviceContext::DrawPicture(const RgbImage& picture, const Placement& placement) {
  SourceBitmap source(session_.engine(), picture);
  if (!StretchPicture(session_.driver(), surface_, source, placement)) {
    throw Failure("the driver could not draw the card (" + LastError() + ").");
  }
}

void DeviceContext::SendPage() {
  if (!session_.driver().SendPage(surface_)) {
    throw Failure("the driver could not send the card (" + LastError() + ").");
  }
}

void DeviceContext::EndDocument() {
  if (!session_.driver().EndDoc(surface_, 0)) {
    throw Failure("the driver could not end the document (" + LastError() + ").");
  }
}
