#include "host/card_job/card_settings.h"

#include <cstdio>
#include <limits>

#include "engine/constants.h"
#include "host/card_job/device_settings.h"
#include "host/card_job/errors.h"
#include "host/card_job/number_text.h"
#include "host/card_job/setting_ranges.h"
#include "host/card_job/text_conversion.h"
#include "settings/devmode_ranges.h"

namespace {

constexpr long kCopiesMax = 999;
constexpr std::array<std::size_t, 3> kTrackLimits{99, 99, 149};

// The characters each track can carry (the ISO magnetic-track sets): track 1
// the 6-bit set from space to "_", tracks 2 and 3 the 4-bit set from "0" to
// "?". Every other character, control characters above all, is refused.
struct TrackCharacters {
  char32_t first, last;
  const char* names;
};
constexpr std::array<TrackCharacters, 3> kTrackCharacters{{
    {0x20, 0x5F, "space, digits, capital letters and punctuation"},
    {0x30, 0x3F, "digits and : ; < = > ?"},
    {0x30, 0x3F, "digits and : ; < = > ?"},
}};

std::string CharacterName(char32_t code) {
  char name[32];
  if (code > 0x20 && code < 0x7F) {
    std::snprintf(name, sizeof name, "\"%c\" (U+%04X)", static_cast<char>(code),
                  static_cast<unsigned>(code));
  } else {
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  }
  return name;
}

// True or False, the choices of a setting that is on or off.
DWORD OnOff(std::string_view value, std::string_view name) {
  if (value == "True") return 1;
  if (value == "False") return 0;
  throw Failure("the setting " + std::string(name) + " takes True or False, not \"" +
                std::string(value) + "\".");
}

// A whole number within the driver's range for a field.
LONG Within(std::string_view value, std::string_view what, long min, long max) {
  long number =
      ParseInteger(value, what, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max());
  if (number < min || number > max) {
    throw Failure("the " + std::string(what) + " must lie between " + std::to_string(min) +
                  " and " + std::to_string(max) + ".");
  }
  return static_cast<LONG>(number);
}

PRINTAREA FrameArea(std::string_view text, std::string_view what) {
  std::vector<long> v = ParseIntegerList(text, what, 4, 0, FRAME_LINES);
  if (v[2] < 1 || v[3] < 1 || v[0] + v[2] > FRAME_DOTS || v[1] + v[3] > FRAME_LINES) {
    throw Failure("the " + std::string(what) + " " + std::string(text) +
                  " does not lie on the card, whose frame is 656 dots by 1024 lines.");
  }
  return {static_cast<WORD>(v[0]), static_cast<WORD>(v[1]), static_cast<WORD>(v[2]),
          static_cast<WORD>(v[3])};
}

OVERLAYAREA OverlayArea(std::string_view text) {
  if (text == "None") return DefOverlayArea;
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos ||
      (text.substr(0, colon) != "0" && text.substr(0, colon) != "1")) {
    throw Failure("the overlay area \"" + std::string(text) +
                  "\" is not TYPE:X,Y,CX,CY with a type of 0 or 1.");
  }
  PRINTAREA area = FrameArea(text.substr(colon + 1), "overlay area");
  return {static_cast<WORD>(text[0] - '0'), area.x, area.y, area.cx, area.cy};
}

// A setting whose name ends in a number from 1 to count ("Track2"): that
// number less one, or null.
std::optional<std::size_t> Numbered(std::string_view name, std::string_view stem,
                                    std::size_t count) {
  if (name.size() != stem.size() + 1 || !name.starts_with(stem)) return std::nullopt;
  char digit = name.back();
  if (digit < '1' || digit > static_cast<char>('0' + count)) return std::nullopt;
  return static_cast<std::size_t>(digit - '1');
}

void Apply(CardSettings& settings, std::string_view name, std::string_view value) {
  DEVMODEW& pub = settings.devmode.dmPublic;
  PRIVATEDEVMODE& priv = settings.devmode.dmPrivate;
  constexpr long kMinAdjust[] = {ADJUST1_MIN, ADJUST_MIN, ADJUST_MIN, ADJUST_MIN};
  constexpr long kMaxAdjust[] = {ADJUST1_MAX, ADJUST_MAX, ADJUST_MAX, ADJUST_MAX};
  LONG* const adjustments[] = {&priv.lAdjust1, &priv.lAdjust2, &priv.lAdjust3, &priv.lAdjust4};
  if (name == "CardOrientation") {
    if (value != "Landscape" && value != "Portrait") {
      throw Failure("the orientation \"" + std::string(value) +
                    "\" is neither Landscape nor Portrait.");
    }
    pub.dmOrientation = value == "Portrait" ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    settings.orientation_given = true;
  } else if (name == "ColorPanels") {
    priv.bPrintYMC = OnOff(value, name);
  } else if (name == "BlackPanel") {
    priv.bPrintK = OnOff(value, name);
  } else if (name == "OverlayPanel") {
    priv.bPrintOverlay = OnOff(value, name);
  } else if (name == "ColorCorrection") {
    priv.bColorAdjust = OnOff(value, name);
  } else if (name == "MagEncoder") {
    settings.encoder = OnOff(value, name) == 1;
  } else if (name == "PrintArea") {
    priv.rcPrint = value == "Full" ? DefPrivateDevMode.rcPrint : FrameArea(value, "print area");
  } else if (auto area = Numbered(name, "OverlayArea", OVERLAY_AREAS)) {
    priv.aOverlayArea[*area] = OverlayArea(value);
  } else if (name == "YellowAdjust") {
    priv.alColor[0] = Within(value, "yellow weight", COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  } else if (name == "SaturationAdjust") {
    priv.alColor[1] =
        Within(value, "saturation correction", COLOR_SATURATION_MIN, COLOR_SATURATION_MAX);
  } else if (name == "MagentaAdjust") {
    priv.alColor[2] = Within(value, "magenta weight", COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  } else if (name == "CyanAdjust") {
    priv.alColor[3] = Within(value, "cyan weight", COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  } else if (name == "DocumentMode") {
    priv.wDocMode = static_cast<WORD>(ParseInteger(value, "document mode", 0, 0xFFFF));
  } else if (auto adjust = Numbered(name, "Adjust", 4)) {
    *adjustments[*adjust] =
        Within(value, "print position adjustment A" + std::to_string(*adjust + 1),
               kMinAdjust[*adjust], kMaxAdjust[*adjust]);
  } else if (name == "Copies") {
    settings.copies = ParseInteger(value, "copy count", 1, kCopiesMax);
  } else if (name == "SnapBlack") {
    settings.snap_black = Within(value, "black snap level", kSnapBlackRange.lower, kSnapBlackRange.upper);
  } else if (name == "MagMode") {
    if (value != "Q" && value != "R" && value != "W") {
      throw Failure("the encoding mode \"" + std::string(value) + "\" is not Q, R or W.");
    }
    settings.mag_mode = value[0];
  } else if (auto track = Numbered(name, "Track", 3)) {
    std::u16string text = TrackText(value, *track);
    if (!settings.tracks) settings.tracks.emplace();
    (*settings.tracks)[*track] = std::move(text);
  } else {
    throw Failure("there is no card setting named \"" + std::string(name) + "\".");
  }
}

}  // namespace

CardSettings DefaultCardSettings() {
  CardSettings settings;
  settings.devmode = DefaultDevMode(u"Card printer");
  return settings;
}

std::optional<std::string> ApplySetting(CardSettings& settings, std::string_view name,
                                        std::string_view value) {
  try {
    Apply(settings, name, value);
  } catch (const Failure& failure) {
    return failure.what();
  }
  return std::nullopt;
}

void OrientForDesign(CardSettings& settings, bool portrait_design) {
  if (settings.orientation_given) return;
  settings.devmode.dmPublic.dmOrientation =
      portrait_design ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
}

std::optional<std::string> FinishSettings(CardSettings& settings, bool per_card) {
  if (settings.tracks && !settings.encoder) {
    return "track texts need a printer with a magnetic encoder (MagEncoder True).";
  }
  if (settings.tracks && settings.mag_mode == 'Q') {
    return "track texts are not sent in encoding mode Q; use R or W.";
  }
  if (settings.encoder && (settings.tracks || per_card) && !settings.mag_mode) {
    settings.mag_mode = 'W';
  }
  return std::nullopt;
}

std::u16string TrackText(std::string_view text, std::size_t track) {
  std::string number = std::to_string(track + 1);
  std::string what = "the track " + number + " text";
  std::optional<std::u16string> wide = Utf8ToUtf16(text);
  if (!wide) throw Failure(what + " is not valid UTF-8.");
  const TrackCharacters& set = kTrackCharacters[track];
  if (std::optional<char32_t> bad = FirstOutside(*wide, set.first, set.last)) {
    char range[32];
    std::snprintf(range, sizeof range, "U+%04X to U+%04X", static_cast<unsigned>(set.first),
                  static_cast<unsigned>(set.last));
    throw Failure(what + " holds the character " + CharacterName(*bad) + ", which track " + number +
                  " cannot carry; it takes only " + range + " (" + set.names + ").");
  }
  if (wide->size() > kTrackLimits[track]) {
    throw Failure(what + " is " + std::to_string(wide->size()) + " characters long; at most " +
                  std::to_string(kTrackLimits[track]) + " fit.");
  }
  return *wide;
}
