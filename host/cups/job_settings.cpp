#include "host/cups/job_settings.h"

#include <cups/cups.h>
#include <cups/ppd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <string_view>

namespace {

// The printer description's main keywords that are card settings.
constexpr std::array<std::string_view, 25> kKeywords{
    "CardOrientation", "ColorPanels",  "BlackPanel",       "OverlayPanel",    "PrintArea",
    "OverlayArea1",    "OverlayArea2", "OverlayArea3",     "OverlayArea4",    "YellowAdjust",
    "MagentaAdjust",   "CyanAdjust",   "SaturationAdjust", "ColorCorrection", "DocumentMode",
    "Adjust1",         "Adjust2",      "Adjust3",          "Adjust4",         "MagEncoder",
    "MagMode",         "Track1",       "Track2",           "Track3",          "SnapBlack",
};

struct PpdClose {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};

struct Options {
  int count = 0;
  cups_option_t* list = nullptr;
  ~Options() { cupsFreeOptions(count, list); }
};

// A custom value comes as "Custom.TEXT" or as TEXT itself.
std::string_view WithoutCustom(std::string_view value) {
  constexpr std::string_view kCustom = "Custom.";
  if (value.starts_with(kCustom)) value.remove_prefix(kCustom.size());
  return value;
}

// The scheduler hands on and off values on as IPP booleans: `lp -o
// ColorPanels=False` reaches the filter as "ColorPanels=false". Track texts
// are texts, whatever they spell.
std::string_view OnOffSpelling(std::string_view keyword, std::string_view value) {
  if (keyword.starts_with("Track")) return value;
  auto same = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(x) == std::tolower(y); });
  };
  if (same(value, "True")) return "True";
  if (same(value, "False")) return "False";
  return value;
}

}  // namespace

std::variant<CardSettings, std::string> JobSettings(const char* ppd_path, const char* copies,
                                                    const char* options) {
  Options job;
  job.count = cupsParseOptions(options, 0, &job.list);
  std::unique_ptr<ppd_file_t, PpdClose> ppd;
  if (ppd_path != nullptr && *ppd_path != '\0') {
    ppd.reset(ppdOpenFile(ppd_path));
    if (!ppd) return "the printer description " + std::string(ppd_path) + " cannot be read.";
    ppdMarkDefaults(ppd.get());
    cupsMarkOptions(ppd.get(), job.count, job.list);
  }

  CardSettings settings = DefaultCardSettings();
  for (std::string_view keyword : kKeywords) {
    std::string name(keyword);
    const char* given = cupsGetOption(name.c_str(), job.count, job.list);
    std::string_view value;
    if (given != nullptr) {
      value = given;
    } else if (keyword == "MagMode") {
      // The encoding mode the description names by default is the one the
      // library chooses when track texts are given; without texts the
      // driver's own mode stays, as with every other front end.
      continue;
    } else if (ppd_choice_t* marked =
                   ppd ? ppdFindMarkedChoice(ppd.get(), name.c_str()) : nullptr) {
      value = marked->choice;
    } else {
      continue;
    }
    value = OnOffSpelling(keyword, WithoutCustom(value));
    if (keyword.starts_with("Track") && (value.empty() || value == "None")) continue;
    if (std::optional<std::string> reason = ApplySetting(settings, keyword, value)) {
      return *reason;
    }
  }
  if (copies != nullptr && std::string_view(copies) != "1") {
    if (std::optional<std::string> reason = ApplySetting(settings, "Copies", copies)) {
      return *reason;
    }
  }
  if (std::optional<std::string> reason = FinishSettings(settings, false)) return *reason;
  return settings;
}
