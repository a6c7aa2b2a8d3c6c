// The settings of a card job, set one at a time by name as every front end
// names them (the printer description's option keywords): the device mode,
// the printer properties (the magnetic encoder), the copies, the encoding
// mode and the track texts. Front ends turn their own options into these
// names; nothing else maps a setting.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "driver/pdev.h"

struct CardSettings {
  CARDDEVMODE devmode;
  bool orientation_given = false;                       // CardOrientation was set
  int snap_black = 0;                                   // SnapBlack: 0 (off) to 255
  bool encoder = false;                                 // MagEncoder
  std::optional<char> mag_mode;                         // MagMode: 'Q', 'R' or 'W'
  std::optional<long> copies;                           // Copies
  std::optional<std::array<std::u16string, 3>> tracks;  // Track1..Track3, once any is set
};

// The driver's default device mode for the card printer, no encoder, no
// copies, encoding mode and track texts left to the driver.
CardSettings DefaultCardSettings();

// Sets one setting by name from its value text: CardOrientation (Landscape
// or Portrait), ColorPanels, BlackPanel, OverlayPanel, ColorCorrection and
// MagEncoder (True or False), PrintArea (X,Y,CX,CY in the frame),
// OverlayArea1..OverlayArea4 (TYPE:X,Y,CX,CY, or None), YellowAdjust,
// MagentaAdjust, CyanAdjust, SaturationAdjust, DocumentMode, Adjust1..Adjust4 and
// Copies (integers within the driver's ranges), MagMode (Q, R or W),
// Track1..Track3 (UTF-8 texts of the track's character set), SnapBlack (0
// to 255: design pixels whose channels are all at or below it print as pure
// black, on the black panel; 0, the default, is off). Choices are
// matched without regard to case. The one sentence saying what is wrong, or
// null when the setting was made.
std::optional<std::string> ApplySetting(CardSettings& settings, std::string_view name,
                                        std::string_view value);

// The card's orientation from the design when CardOrientation was not set:
// portrait for a design taller than wide, else landscape.
void OrientForDesign(CardSettings& settings, bool portrait_design);

// Checks the settings as a whole before the job begins and chooses what was
// left open: track texts need the encoder and an encoding mode other than Q;
// with the encoder and track texts (or texts given card by card, per_card),
// the encoding mode is W unless one was set. The sentence saying what is
// wrong, or null.
std::optional<std::string> FinishSettings(CardSettings& settings, bool per_card);

// A track's text checked against the track's character set and capacity
// (track is 0, 1 or 2). A Failure names the first character the track cannot
// carry, or the length.
std::u16string TrackText(std::string_view text, std::size_t track);
