// The settings the program hands the driver, made on the engine's side: the
// device mode an application passes to DrvEnablePDEV and the printer
// properties stored in the printer's registry data, both in the driver's
// published layouts, with their fields settable by name.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/pdev.h"

// The program does not read the printer description, so it cannot know the
// description's checksum; records carry this one, which matches none, so that
// the driver fills their option selections with the description's defaults.
inline constexpr WORD kForeignChecksum = 0xFFFF;

// The device mode the driver makes by default (the public defaults, the
// private defaults), for the named device.
CARDDEVMODE DefaultDevMode(std::u16string_view device_name);

// The printer properties the driver makes by default for its built-in
// description (100 KB of printer memory, a 240-second wait time-out).
PRINTERPROPS DefaultPrinterProps();

// Sets a field of the device mode (public or private part) or of the printer
// properties by its record name: "dmOrientation", "bPrintK", "rcPrint" (an
// array x, y, cx, cy), "aOverlayArea" (four arrays wType, x, y, cx, cy),
// "coloradj" (an object of COLORADJUSTMENT fields), "wszTrack1" (a string),
// "dwMagEncoder", ... The reason when the name or the value is wrong.
std::optional<std::string> SetDevModeField(CARDDEVMODE& devmode, std::string_view name,
                                           const nlohmann::json& value);
std::optional<std::string> SetPrinterPropsField(PRINTERPROPS& props, std::string_view name,
                                                const nlohmann::json& value);

template <typename Record>
std::vector<std::uint8_t> BytesOf(const Record& record) {
  const auto* first = reinterpret_cast<const std::uint8_t*>(&record);
  return {first, first + sizeof record};
}
