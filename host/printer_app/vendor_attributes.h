// The card's own settings as the printer application's vendor job
// attributes: one row per attribute, with the card-job setting it sets, the
// values it takes and its default. The driver callback publishes every row
// (its -supported and -default attributes, which the web interface shows as
// the printer's defaults); a job's values are handed to the card-job library
// by the setting's name. A new setting is one new row.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "host/card_job/setting_ranges.h"

enum class VendorKind {
  kBoolean,  // true or false, handed on as True or False
  kInteger,  // a whole number from lower to upper
  kKeyword,  // one of choices, each handed on as the setting's own spelling
  kText,     // a text, checked by the setting; "" leaves the setting alone
};

// An IPP keyword and the value the card-job setting takes for it; an empty
// setting value leaves the setting to the library.
struct VendorChoice {
  std::string_view keyword;
  std::string_view setting_value;
};

struct VendorAttribute {
  std::string_view name;     // the IPP job attribute, "cardprint-black-panel"
  std::string_view label;    // its name in the web interface
  std::string_view setting;  // the card-job setting, "BlackPanel"
  VendorKind kind;
  int lower = 0;  // kInteger: the range
  int upper = 0;
  std::span<const VendorChoice> choices = {};
  std::string_view fallback = {};  // the default, as IPP spells it
};

inline constexpr std::array<VendorChoice, 4> kMagModeChoices{{
    {"auto", ""},  // W when track texts are given, else the printer's own
    {"q", "Q"},
    {"r", "R"},
    {"w", "W"},
}};

// clang-format off
inline constexpr std::array<VendorAttribute, 23> kVendorAttributes{{
  // IPP attribute, web label, card-job setting, kind, range, choices, default
  {"cardprint-color-panels", "Colour panels (YMC)", "ColorPanels", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-black-panel", "Black panel (K)", "BlackPanel", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-overlay-panel", "Overlay panel (O)", "OverlayPanel", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-print-area", "Print area (X,Y,CX,CY or Full)", "PrintArea", VendorKind::kText, 0, 0, {}, "Full"},
  {"cardprint-overlay-area-1", "Overlay area 1 (TYPE:X,Y,CX,CY or None)", "OverlayArea1", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-2", "Overlay area 2 (TYPE:X,Y,CX,CY or None)", "OverlayArea2", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-3", "Overlay area 3 (TYPE:X,Y,CX,CY or None)", "OverlayArea3", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-4", "Overlay area 4 (TYPE:X,Y,CX,CY or None)", "OverlayArea4", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-yellow-adjust", "Yellow", "YellowAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-saturation-adjust", "Saturation", "SaturationAdjust", VendorKind::kInteger, kSaturationRange.lower, kSaturationRange.upper, {}, "0"},
  {"cardprint-magenta-adjust", "Magenta", "MagentaAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-cyan-adjust", "Cyan", "CyanAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-color-correction", "Colour correction", "ColorCorrection", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-document-mode", "Document mode", "DocumentMode", VendorKind::kInteger, 0, 1, {}, "0"},
  {"cardprint-adjust-1", "Print position adjustment 1", "Adjust1", VendorKind::kInteger, kAdjust1Range.lower, kAdjust1Range.upper, {}, "0"},
  {"cardprint-adjust-2", "Print position adjustment 2", "Adjust2", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-adjust-3", "Print position adjustment 3", "Adjust3", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-adjust-4", "Print position adjustment 4", "Adjust4", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-mag-encoder", "Magnetic encoder fitted", "MagEncoder", VendorKind::kBoolean, 0, 0, {}, "false"},
  {"cardprint-mag-mode", "Encoding mode", "MagMode", VendorKind::kKeyword, 0, 0, kMagModeChoices, "auto"},
  {"cardprint-track-1", "Track 1 text", "Track1", VendorKind::kText, 0, 0, {}, ""},
  {"cardprint-track-2", "Track 2 text", "Track2", VendorKind::kText, 0, 0, {}, ""},
  {"cardprint-track-3", "Track 3 text", "Track3", VendorKind::kText, 0, 0, {}, ""},
}};
// clang-format on
