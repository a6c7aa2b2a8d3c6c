#include "host/card_job/card_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "engine/constants.h"

namespace {

struct SettingCase {
  const char* name;
  const char* value;
  std::function<bool(const CardSettings&)> holds;
};

const SettingCase kSettings[] = {
    {"CardOrientation", "Portrait",
     [](const CardSettings& s) { return s.devmode.dmPublic.dmOrientation == DMORIENT_PORTRAIT; }},
    {"ColorPanels", "False",
     [](const CardSettings& s) { return s.devmode.dmPrivate.bPrintYMC == 0; }},
    {"BlackPanel", "False", [](const CardSettings& s) { return s.devmode.dmPrivate.bPrintK == 0; }},
    {"OverlayPanel", "False",
     [](const CardSettings& s) { return s.devmode.dmPrivate.bPrintOverlay == 0; }},
    {"ColorCorrection", "False",
     [](const CardSettings& s) { return s.devmode.dmPrivate.bColorAdjust == 0; }},
    {"MagEncoder", "True", [](const CardSettings& s) { return s.encoder; }},
    {"PrintArea", "1,2,3,4",
     [](const CardSettings& s) {
       const PRINTAREA& a = s.devmode.dmPrivate.rcPrint;
       return a.x == 1 && a.y == 2 && a.cx == 3 && a.cy == 4;
     }},
    {"OverlayArea4", "1:5,6,7,8",
     [](const CardSettings& s) {
       const OVERLAYAREA& a = s.devmode.dmPrivate.aOverlayArea[3];
       return a.wType == 1 && a.x == 5 && a.y == 6 && a.cx == 7 && a.cy == 8;
     }},
    {"YellowAdjust", "-96",
     [](const CardSettings& s) { return s.devmode.dmPrivate.alColor[0] == -96; }},
    {"SaturationAdjust", "50",
     [](const CardSettings& s) { return s.devmode.dmPrivate.alColor[1] == 50; }},
    {"MagentaAdjust", "7",
     [](const CardSettings& s) { return s.devmode.dmPrivate.alColor[2] == 7; }},
    {"CyanAdjust", "+96",
     [](const CardSettings& s) { return s.devmode.dmPrivate.alColor[3] == 96; }},
    {"DocumentMode", "1", [](const CardSettings& s) { return s.devmode.dmPrivate.wDocMode == 1; }},
    {"Adjust1", "-94", [](const CardSettings& s) { return s.devmode.dmPrivate.lAdjust1 == -94; }},
    {"Adjust4", "94", [](const CardSettings& s) { return s.devmode.dmPrivate.lAdjust4 == 94; }},
    {"Copies", "999", [](const CardSettings& s) { return s.copies == 999; }},
    {"MagMode", "R", [](const CardSettings& s) { return s.mag_mode == 'R'; }},
    {"SnapBlack", "255", [](const CardSettings& s) { return s.snap_black == 255; }},
    {"Track3", "0123456789:;<=>?",
     [](const CardSettings& s) {
       return s.tracks && (*s.tracks)[2] == u"0123456789:;<=>?" && (*s.tracks)[0].empty();
     }},
};

class Setting : public ::testing::TestWithParam<SettingCase> {};

TEST_P(Setting, ChangesItsFieldAndNothingElse) {
  CardSettings settings = DefaultCardSettings();
  ASSERT_FALSE(GetParam().holds(settings));
  ASSERT_EQ(ApplySetting(settings, GetParam().name, GetParam().value), std::nullopt);
  EXPECT_TRUE(GetParam().holds(settings));
}

INSTANTIATE_TEST_SUITE_P(Names, Setting, ::testing::ValuesIn(kSettings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Setting, DefaultChoicesGiveTheDefaultSettings) {
  CardSettings settings = DefaultCardSettings();
  ASSERT_EQ(ApplySetting(settings, "PrintArea", "1,2,3,4"), std::nullopt);
  ASSERT_EQ(ApplySetting(settings, "OverlayArea2", "0:1,1,1,1"), std::nullopt);
  ASSERT_EQ(ApplySetting(settings, "PrintArea", "Full"), std::nullopt);
  ASSERT_EQ(ApplySetting(settings, "OverlayArea2", "None"), std::nullopt);
  CardSettings defaults = DefaultCardSettings();
  EXPECT_EQ(std::memcmp(&settings.devmode, &defaults.devmode, sizeof defaults.devmode), 0);
}

struct WrongCase {
  const char* name;
  const char* value;
  const char* reason;
};

const WrongCase kWrong[] = {
    {"Colour", "1", "there is no card setting named \"Colour\"."},
    {"Track4", "1", "there is no card setting named \"Track4\"."},
    {"Adjust0", "1", "there is no card setting named \"Adjust0\"."},
    {"CardOrientation", "landscape",
     "the orientation \"landscape\" is neither Landscape nor Portrait."},
    {"BlackPanel", "true", "the setting BlackPanel takes True or False, not \"true\"."},
    {"YellowAdjust", "97", "the yellow weight must lie between -96 and 96."},
    {"SaturationAdjust", "-51", "the saturation correction must lie between -50 and 50."},
    {"Adjust1", "6", "the print position adjustment A1 must lie between -94 and 5."},
    {"Adjust2", "-6", "the print position adjustment A2 must lie between -5 and 94."},
    {"CyanAdjust", "1.5", "the cyan weight \"1.5\" is not a whole number."},
    {"Copies", "0", "the copy count 0 is out of range (1 to 999)."},
    {"MagMode", "w", "the encoding mode \"w\" is not Q, R or W."},
    {"PrintArea", "0,0,657,1",
     "the print area 0,0,657,1 does not lie on the card, whose frame is 656 dots by 1024 lines."},
    {"OverlayArea1", "2:0,0,1,1",
     "the overlay area \"2:0,0,1,1\" is not TYPE:X,Y,CX,CY with a type of 0 or 1."},
    {"SnapBlack", "256", "the black snap level must lie between 0 and 255."},
    {"SnapBlack", "-1", "the black snap level must lie between 0 and 255."},
    {"Track1", "\xC3\xA9",
     "the track 1 text holds the character U+00E9, which track 1 cannot carry; it takes only "
     "U+0020 to U+005F (space, digits, capital letters and punctuation)."},
};

class WrongSetting : public ::testing::TestWithParam<WrongCase> {};

TEST_P(WrongSetting, IsRefusedWithItsReasonAndChangesNothing) {
  CardSettings settings = DefaultCardSettings();
  EXPECT_EQ(ApplySetting(settings, GetParam().name, GetParam().value), GetParam().reason);
  CardSettings defaults = DefaultCardSettings();
  EXPECT_EQ(std::memcmp(&settings.devmode, &defaults.devmode, sizeof defaults.devmode), 0);
  EXPECT_FALSE(settings.tracks || settings.copies || settings.mag_mode || settings.encoder ||
               settings.snap_black != 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, WrongSetting, ::testing::ValuesIn(kWrong), [](const auto& info) {
  return std::string(info.param.name) + "_" + std::to_string(info.index);
});

TEST(OrientForDesign, GivesAPortraitDesignAPortraitCardUnlessAnOrientationWasSet) {
  CardSettings open = DefaultCardSettings();
  OrientForDesign(open, true);
  EXPECT_EQ(open.devmode.dmPublic.dmOrientation, DMORIENT_PORTRAIT);
  OrientForDesign(open, false);
  EXPECT_EQ(open.devmode.dmPublic.dmOrientation, DMORIENT_LANDSCAPE);

  CardSettings landscape = DefaultCardSettings();
  ASSERT_EQ(ApplySetting(landscape, "CardOrientation", "Landscape"), std::nullopt);
  OrientForDesign(landscape, true);
  EXPECT_EQ(landscape.devmode.dmPublic.dmOrientation, DMORIENT_LANDSCAPE);
  CardSettings portrait = DefaultCardSettings();
  ASSERT_EQ(ApplySetting(portrait, "CardOrientation", "Portrait"), std::nullopt);
  OrientForDesign(portrait, false);
  EXPECT_EQ(portrait.devmode.dmPublic.dmOrientation, DMORIENT_PORTRAIT);
}

TEST(FinishSettings, ChoosesModeWAndRefusesTracksItCannotSend) {
  CardSettings tracks = DefaultCardSettings();
  ASSERT_EQ(ApplySetting(tracks, "Track2", "12"), std::nullopt);
  EXPECT_EQ(FinishSettings(tracks, false),
            "track texts need a printer with a magnetic encoder (MagEncoder True).");
  ASSERT_EQ(ApplySetting(tracks, "MagEncoder", "True"), std::nullopt);
  CardSettings in_q = tracks;
  ASSERT_EQ(ApplySetting(in_q, "MagMode", "Q"), std::nullopt);
  EXPECT_EQ(FinishSettings(in_q, false),
            "track texts are not sent in encoding mode Q; use R or W.");
  EXPECT_EQ(FinishSettings(tracks, false), std::nullopt);
  EXPECT_EQ(tracks.mag_mode, 'W');

  CardSettings encoder = DefaultCardSettings();
  ASSERT_EQ(ApplySetting(encoder, "MagEncoder", "True"), std::nullopt);
  CardSettings per_card = encoder;
  EXPECT_EQ(FinishSettings(encoder, false), std::nullopt);
  EXPECT_EQ(encoder.mag_mode, std::nullopt);
  EXPECT_EQ(FinishSettings(per_card, true), std::nullopt);
  EXPECT_EQ(per_card.mag_mode, 'W');
}

}  // namespace
