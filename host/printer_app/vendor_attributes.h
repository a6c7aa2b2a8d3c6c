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
inline constexpr std::array<VendorAttribute, 24> kVendorAttributes{{
  // IPP attribute, card-job setting, kind, range, choices, default
  {"cardprint-color-panels", "ColorPanels", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-black-panel", "BlackPanel", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-overlay-panel", "OverlayPanel", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-print-area", "PrintArea", VendorKind::kText, 0, 0, {}, "Full"},
  {"cardprint-overlay-area-1", "OverlayArea1", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-2", "OverlayArea2", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-3", "OverlayArea3", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-overlay-area-4", "OverlayArea4", VendorKind::kText, 0, 0, {}, "None"},
  {"cardprint-yellow-adjust", "YellowAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-saturation-adjust", "SaturationAdjust", VendorKind::kInteger, kSaturationRange.lower, kSaturationRange.upper, {}, "0"},
  {"cardprint-magenta-adjust", "MagentaAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-cyan-adjust", "CyanAdjust", VendorKind::kInteger, kColorWeightRange.lower, kColorWeightRange.upper, {}, "0"},
  {"cardprint-color-correction", "ColorCorrection", VendorKind::kBoolean, 0, 0, {}, "true"},
  {"cardprint-snap-black", "SnapBlack", VendorKind::kInteger, kSnapBlackRange.lower, kSnapBlackRange.upper, {}, "0"},
  {"cardprint-document-mode", "DocumentMode", VendorKind::kInteger, 0, 1, {}, "0"},
  {"cardprint-adjust-1", "Adjust1", VendorKind::kInteger, kAdjust1Range.lower, kAdjust1Range.upper, {}, "0"},
  {"cardprint-adjust-2", "Adjust2", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-adjust-3", "Adjust3", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-adjust-4", "Adjust4", VendorKind::kInteger, kAdjustRange.lower, kAdjustRange.upper, {}, "0"},
  {"cardprint-mag-encoder", "MagEncoder", VendorKind::kBoolean, 0, 0, {}, "false"},
  {"cardprint-mag-mode", "MagMode", VendorKind::kKeyword, 0, 0, kMagModeChoices, "auto"},
  {"cardprint-track-1", "Track1", VendorKind::kText, 0, 0, {}, ""},
  {"cardprint-track-2", "Track2", VendorKind::kText, 0, 0, {}, ""},
  {"cardprint-track-3", "Track3", VendorKind::kText, 0, 0, {}, ""},
}};
// clang-format on
