#include "host/card_job/device_settings.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "engine/constants.h"
#include "host/card_job/record_fields.h"

namespace {

constexpr std::size_t kPrivate = offsetof(CARDDEVMODE, dmPrivate);

#define PUBLIC(field, kind, ...) \
  FieldLayout { #field, offsetof(DEVMODEW, field), FieldKind::kind, __VA_ARGS__ }
#define PRIVATE(field, kind, ...) \
  FieldLayout { #field, kPrivate + offsetof(PRIVATEDEVMODE, field), FieldKind::kind, __VA_ARGS__ }
#define PROPS(field, kind, ...) \
  FieldLayout { #field, offsetof(PRINTERPROPS, field), FieldKind::kind, __VA_ARGS__ }
#define ADJUST(field, kind) \
  FieldLayout { #field, offsetof(COLORADJUSTMENT, field), FieldKind::kind }

constexpr std::array kColorAdjustment{
    ADJUST(caSize, kWord),
    ADJUST(caFlags, kWord),
    ADJUST(caIlluminantIndex, kWord),
    ADJUST(caRedGamma, kWord),
    ADJUST(caGreenGamma, kWord),
    ADJUST(caBlueGamma, kWord),
    ADJUST(caReferenceBlack, kWord),
    ADJUST(caReferenceWhite, kWord),
    ADJUST(caContrast, kShort),
    ADJUST(caBrightness, kShort),
    ADJUST(caColorfulness, kShort),
    ADJUST(caRedGreenTint, kShort),
};

constexpr std::array kDevModeFields{
    PUBLIC(dmDeviceName, kText, CCHDEVICENAME),
    PUBLIC(dmSpecVersion, kWord),
    PUBLIC(dmDriverVersion, kWord),
    PUBLIC(dmSize, kWord),
    PUBLIC(dmDriverExtra, kWord),
    PUBLIC(dmFields, kDword),
    PUBLIC(dmOrientation, kShort),
    PUBLIC(dmPaperSize, kShort),
    PUBLIC(dmPaperLength, kShort),
    PUBLIC(dmPaperWidth, kShort),
    PUBLIC(dmScale, kShort),
    PUBLIC(dmCopies, kShort),
    PUBLIC(dmDefaultSource, kShort),
    PUBLIC(dmPrintQuality, kShort),
    PUBLIC(dmColor, kShort),
    PUBLIC(dmDuplex, kShort),
    PUBLIC(dmYResolution, kShort),
    PUBLIC(dmTTOption, kShort),
    PUBLIC(dmCollate, kShort),
    PUBLIC(dmFormName, kText, CCHFORMNAME),
    PUBLIC(dmLogPixels, kWord),
    PUBLIC(dmBitsPerPel, kDword),
    PUBLIC(dmPelsWidth, kDword),
    PUBLIC(dmPelsHeight, kDword),
    PUBLIC(dmNup, kDword),
    PUBLIC(dmDisplayFrequency, kDword),
    PUBLIC(dmICMMethod, kDword),
    PUBLIC(dmICMIntent, kDword),
    PUBLIC(dmMediaType, kDword),
    PUBLIC(dmDitherType, kDword),
    PUBLIC(dmReserved1, kDword),
    PUBLIC(dmReserved2, kDword),
    PUBLIC(dmPanningWidth, kDword),
    PUBLIC(dmPanningHeight, kDword),
    PRIVATE(dwPrivSignature, kDword),
    PRIVATE(dwPrivFlags, kDword),
    PRIVATE(coloradj, kRecord, 1, 1, kColorAdjustment),
    PRIVATE(wChecksum, kWord),
    PRIVATE(wOptions, kWord),
    PRIVATE(aOptions, kByte, 64),
    PRIVATE(bPrintYMC, kDword),
    PRIVATE(bPrintK, kDword),
    PRIVATE(bPrintOverlay, kDword),
    PRIVATE(rcPrint, kWord, 4),
    PRIVATE(aOverlayArea, kWord, 4 * 5, 5),
    PRIVATE(wDocMode, kWord),
    PRIVATE(wszTrack1, kText, CCH_TRACK1),
    PRIVATE(wszTrack2, kText, CCH_TRACK2),
    PRIVATE(wszTrack3, kText, CCH_TRACK3),
    PRIVATE(wMagMode, kWord),
    PRIVATE(lAdjust1, kLong),
    PRIVATE(lAdjust2, kLong),
    PRIVATE(lAdjust3, kLong),
    PRIVATE(lAdjust4, kLong),
    PRIVATE(alColor, kLong, 4),
    PRIVATE(bColorAdjust, kDword),
};

constexpr std::array kPrinterPropsFields{
    PROPS(wVersion, kWord),      PROPS(wSize, kWord),         PROPS(dwPropFlags, kDword),
    PROPS(dwFreeMem, kDword),    PROPS(dwJobTimeout, kDword), PROPS(dwWaitTimeout, kDword),
    PROPS(wChecksum, kWord),     PROPS(wOptions, kWord),      PROPS(aOptions, kByte, 92),
    PROPS(dwMagEncoder, kDword),
};

#undef PUBLIC
#undef PRIVATE
#undef PROPS
#undef ADJUST

template <typename Record>
std::span<std::uint8_t> Writable(Record& record) {
  return {reinterpret_cast<std::uint8_t*>(&record), sizeof record};
}

}  // namespace

CARDDEVMODE DefaultDevMode(std::u16string_view device_name) {
  CARDDEVMODE devmode{};
  DEVMODEW& pub = devmode.dmPublic;
  std::copy_n(device_name.begin(), std::min<std::size_t>(device_name.size(), CCHDEVICENAME - 1),
              pub.dmDeviceName);
  pub.dmSpecVersion = DM_SPEC_VERSION;
  pub.dmDriverVersion = DM_DRIVER_VERSION;
  pub.dmSize = sizeof(DEVMODEW);
  pub.dmDriverExtra = sizeof(PRIVATEDEVMODE);
  pub.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                 DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_FORMNAME;
  pub.dmOrientation = DMORIENT_LANDSCAPE;
  pub.dmPaperLength = 535;
  pub.dmPaperWidth = 858;
  pub.dmScale = 100;
  pub.dmCopies = 1;
  pub.dmPrintQuality = 300;
  pub.dmColor = DMCOLOR_COLOR;
  pub.dmDuplex = DMDUP_SIMPLEX;
  pub.dmTTOption = DMTT_BITMAP;
  std::u16string_view form = u"Letter";
  std::copy(form.begin(), form.end(), pub.dmFormName);
  devmode.dmPrivate = DefPrivateDevMode;
  devmode.dmPrivate.wChecksum = kForeignChecksum;
  return devmode;
}

PRINTERPROPS DefaultPrinterProps() {
  PRINTERPROPS props = DefPrinterProps;
  props.dwFreeMem = 102400;
  props.dwWaitTimeout = 240;
  props.wChecksum = kForeignChecksum;
  return props;
}

std::optional<std::string> SetDevModeField(CARDDEVMODE& devmode, std::string_view name,
                                           const nlohmann::json& value) {
  return SetField(Writable(devmode), kDevModeFields, "the device mode", name, value);
}

std::optional<std::string> SetPrinterPropsField(PRINTERPROPS& props, std::string_view name,
                                                const nlohmann::json& value) {
  return SetField(Writable(props), kPrinterPropsFields, "the printer properties", name, value);
}
