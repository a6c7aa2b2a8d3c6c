// The card settings a printer-application job gets from its attributes: the
// vendor attributes' IPP values turned into the card-job settings, the job's
// own value over the printer's default over the table's, and the sentence
// that refuses a value.
#include "host/printer_app/job_options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/printer_app/vendor_attributes.h"

namespace {

struct Options {
  pappl_pr_options_t options{};
  std::vector<cups_option_t> vendor;

  Options(std::initializer_list<std::pair<const char*, const char*>> given) {
    for (auto [name, value] : given) {
      vendor.push_back({const_cast<char*>(name), const_cast<char*>(value)});
    }
    options.copies = 1;
    options.num_vendor = static_cast<int>(vendor.size());
    options.vendor = vendor.data();
  }
};

JobRequest Landscape() { return {IPP_ORIENT_LANDSCAPE, false, {}}; }

CardSettings Made(const Options& given, const JobRequest& request = Landscape()) {
  auto made = CardSettingsOf(given.options, request);
  if (auto* reason = std::get_if<std::string>(&made)) ADD_FAILURE() << *reason;
  return std::get<CardSettings>(made);
}

std::string Refusal(const Options& given, const JobRequest& request = Landscape()) {
  auto made = CardSettingsOf(given.options, request);
  auto* reason = std::get_if<std::string>(&made);
  return reason != nullptr ? *reason : "(accepted)";
}

// The settings as the card-job library makes them from keywords.
CardSettings Expected(std::initializer_list<std::pair<const char*, const char*>> settings) {
  CardSettings expected = DefaultCardSettings();
  EXPECT_FALSE(ApplySetting(expected, "CardOrientation", "Landscape"));
  for (auto [name, value] : settings) {
    EXPECT_FALSE(ApplySetting(expected, name, value)) << name << "=" << value;
  }
  EXPECT_FALSE(FinishSettings(expected, false));
  return expected;
}

void ExpectSame(const CardSettings& expected, const CardSettings& made) {
  EXPECT_EQ(0, std::memcmp(&expected.devmode, &made.devmode, sizeof made.devmode));
  EXPECT_EQ(expected.encoder, made.encoder);
  EXPECT_EQ(expected.mag_mode, made.mag_mode);
  EXPECT_EQ(expected.copies, made.copies);
  EXPECT_EQ(expected.tracks, made.tracks);
}

TEST(JobOptions, EveryDefaultOfTheTableIsTheDriversOwn) {
  ExpectSame(Expected({}), Made(Options{}));
}

struct Translation {
  const char* attribute;
  const char* ipp_value;
  const char* setting;
  const char* setting_value;
};

TEST(JobOptions, EachKindOfValueReachesItsSetting) {
  const Translation cases[] = {
      {"cardprint-black-panel", "false", "BlackPanel", "False"},
      {"cardprint-color-correction", "false", "ColorCorrection", "False"},
      {"cardprint-yellow-adjust", "-20", "YellowAdjust", "-20"},
      {"cardprint-adjust-1", "-94", "Adjust1", "-94"},
      {"cardprint-snap-black", "64", "SnapBlack", "64"},
      {"cardprint-print-area", "10,20,600,1000", "PrintArea", "10,20,600,1000"},
      {"cardprint-overlay-area-2", "1:0,0,300,500", "OverlayArea2", "1:0,0,300,500"},
      {"cardprint-mag-mode", "r", "MagMode", "R"},
  };
  for (const Translation& c : cases) {
    SCOPED_TRACE(c.attribute);
    ExpectSame(Expected({{c.setting, c.setting_value}}), Made(Options{{c.attribute, c.ipp_value}}));
  }
}

TEST(JobOptions, TrackTextsNeedTheEncoderAndTakeW) {
  ExpectSame(Expected({{"MagEncoder", "True"}, {"Track1", "ALEX SAMPLE"}, {"Track2", "0042"}}),
             Made(Options{{"cardprint-mag-encoder", "true"},
                          {"cardprint-track-1", "ALEX SAMPLE"},
                          {"cardprint-track-2", "0042"}}));
  EXPECT_EQ(Refusal(Options{{"cardprint-track-1", "ALEX"}}),
            "track texts need a printer with a magnetic encoder (MagEncoder True).");
}

TEST(JobOptions, TheJobsValueOverThePrintersDefaultOverTheTables) {
  JobRequest request = Landscape();
  request.vendor_defaults = {{"cardprint-yellow-adjust", "10"}, {"cardprint-black-panel", "false"}};
  ExpectSame(Expected({{"YellowAdjust", "-5"}, {"BlackPanel", "False"}}),
             Made(Options{{"cardprint-yellow-adjust", "-5"}}, request));
}

TEST(JobOptions, PortraitMonochromeAndCopies) {
  CardSettings expected =
      Expected({{"CardOrientation", "Portrait"}, {"ColorPanels", "False"}, {"Copies", "3"}});
  // Monochrome is the black panel alone even when the job asks for colour.
  Options colour{{"cardprint-color-panels", "true"}};
  colour.options.copies = 3;
  ExpectSame(expected, Made(colour, {IPP_ORIENT_PORTRAIT, true, {}}));
}

TEST(JobOptions, ARefusedValueSaysWhichAttributeAndWhy) {
  const std::pair<Options, std::string> cases[] = {
      {Options{{"cardprint-mag-mode", "x"}},
       "The job attribute cardprint-mag-mode takes auto, q, r, w, not \"x\"."},
      {Options{{"cardprint-black-panel", "maybe"}},
       "The job attribute cardprint-black-panel takes true or false, not \"maybe\"."},
      {Options{{"cardprint-cyan-adjust", "97"}},
       "The job attribute cardprint-cyan-adjust is refused: the cyan weight must lie between -96 "
       "and 96."},
      {Options{{"cardprint-print-area", "0,0,700,1000"}},
       "The job attribute cardprint-print-area is refused: the print area 0,0,700,1000 does not "
       "lie on the card, whose frame is 656 dots by 1024 lines."},
  };
  for (const auto& [given, sentence] : cases) EXPECT_EQ(Refusal(given), sentence);
}

// A value the row's setting takes, as the library spells it.
std::string SettingValueFor(const VendorAttribute& row) {
  if (row.setting.starts_with("OverlayArea")) return "None";
  if (row.setting.starts_with("Track")) return "1";
  switch (row.kind) {
    case VendorKind::kBoolean:
      return "True";
    case VendorKind::kInteger:
      return std::to_string(row.upper);
    case VendorKind::kKeyword:
      return std::string(row.choices.back().setting_value);
    case VendorKind::kText:
      break;
  }
  return "Full";
}

TEST(JobOptions, EveryRowNamesASettingOfTheLibrary) {
  for (const VendorAttribute& row : kVendorAttributes) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(row.name.starts_with("cardprint-"));
    CardSettings settings = DefaultCardSettings();
    EXPECT_FALSE(ApplySetting(settings, row.setting, SettingValueFor(row)));
  }
}

}  // namespace
