#include "host/card_job/card_job.h"

#include <cstdint>
#include <span>

#include "engine/constants.h"
#include "host/card_job/black_snap.h"
#include "host/card_job/device_settings.h"
#include "host/card_job/errors.h"
#include "output/escapes.h"

namespace {

constexpr std::array<ULONG, 3> kSetMagTrack{SETMAGTRACK1, SETMAGTRACK2, SETMAGTRACK3};

// The printer properties go to the printer's registry data, where the driver
// reads them when it makes the device instance; the device mode to make it
// with.
const CARDDEVMODE& StoreProperties(EngineSession& session, const CardSettings& settings) {
  if (settings.encoder) {
    PRINTERPROPS props = DefaultPrinterProps();
    props.dwMagEncoder = 1;
    std::vector<std::uint8_t> bytes = BytesOf(props);
    session.engine().registry().SetDword(session.printer(), u"PrinterDataSize",
                                         static_cast<DWORD>(bytes.size()));
    session.engine().registry().SetValue(session.printer(), u"PrinterData", REG_BINARY, bytes);
  }
  return settings.devmode;
}

std::span<const std::uint8_t> BytesOfText(const std::u16string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.c_str()), (text.size() + 1) * 2};
}

void SendEscape(DeviceContext& device, ULONG escape, std::span<const std::uint8_t> input,
                std::string_view what) {
  auto result = static_cast<LONG>(device.Escape(escape, input, {}));
  if (result != 1) {
    throw Failure("the driver refused " + std::string(what) + " (escape result " +
                  std::to_string(result) + ").");
  }
}

void SendCopies(DeviceContext& device, long copies) {
  auto count = static_cast<std::uint32_t>(copies);
  std::uint8_t input[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                           static_cast<std::uint8_t>(count >> 16),
                           static_cast<std::uint8_t>(count >> 24)};
  SendEscape(device, SETCOPYCOUNT, input, "the copy count");
}

}  // namespace

CardJob::CardJob(EngineSession& session, const CardSettings& settings, bool per_card)
    : device_(session, StoreProperties(session, settings), u"Card printer"),
      snap_black_(settings.snap_black) {
  if (settings.copies && !per_card) SendCopies(device_, *settings.copies);
  if (settings.mag_mode) {
    auto letter = static_cast<std::uint8_t>(*settings.mag_mode);
    SendEscape(device_, SETMAGMODE, std::span(&letter, 1), "the encoding mode");
  }
  device_.StartDocument();
  if (!per_card) tracks_ = settings.tracks;
}

void CardJob::SetTracks(const std::array<std::u16string, 3>& tracks) { tracks_ = tracks; }

void CardJob::SetCopies(long copies) { copies_ = copies; }

void CardJob::PrintCard(const RgbImage& design, Fit fit) {
  if (tracks_) {
    for (std::size_t t = 0; t < 3; ++t) {
      SendEscape(device_, kSetMagTrack[t], BytesOfText((*tracks_)[t]),
                 "the track " + std::to_string(t + 1) + " text");
    }
    tracks_.reset();
  }
  if (copies_) {
    SendCopies(device_, *copies_);
    copies_.reset();
  }
  device_.StartPage();
  Placement placement = FitImage(design.width, design.height, width(), height(), fit);
  if (snap_black_ > 0) {
    RgbImage snapped = design;
    SnapToBlack(snapped, snap_black_);
    device_.DrawPicture(snapped, placement);
  } else {
    device_.DrawPicture(design, placement);
  }
  device_.SendPage();
}

void CardJob::EndDocument() { device_.EndDocument(); }
