#include "host/printer_app/job_options.h"

#include <algorithm>
#include <optional>

#include "host/printer_app/vendor_attributes.h"

namespace {

// The value the card-job setting takes for a vendor attribute's IPP value,
// null when the value leaves the setting alone, or the sentence refusing it.
std::variant<std::optional<std::string>, std::string> SettingValue(const VendorAttribute& row,
                                                                   std::string_view value) {
  using Result = std::variant<std::optional<std::string>, std::string>;
  switch (row.kind) {
    case VendorKind::kBoolean:
      if (value == "true") return Result(std::optional<std::string>("True"));
      if (value == "false") return Result(std::optional<std::string>("False"));
      return Result(std::in_place_index<1>,
                    "takes true or false, not \"" + std::string(value) + "\".");
    case VendorKind::kKeyword: {
      auto choice = std::find_if(row.choices.begin(), row.choices.end(),
                                 [&](const VendorChoice& c) { return c.keyword == value; });
      if (choice == row.choices.end()) {
        std::string names;
        for (const VendorChoice& c : row.choices) {
          names += names.empty() ? "" : ", ";
          names += c.keyword;
        }
        return Result(std::in_place_index<1>,
                      "takes " + names + ", not \"" + std::string(value) + "\".");
      }
      if (choice->setting_value.empty()) return Result(std::optional<std::string>());
      return Result(std::optional<std::string>(std::string(choice->setting_value)));
    }
    case VendorKind::kText:
      if (value.empty()) return Result(std::optional<std::string>());
      return Result(std::optional<std::string>(std::string(value)));
    case VendorKind::kInteger:
      break;
  }
  return Result(std::optional<std::string>(std::string(value)));
}

}  // namespace

ipp_orient_t RequestedOrientation(pappl_job_t* job) {
  if (ipp_attribute_t* given = papplJobGetAttribute(job, "orientation-requested")) {
    return static_cast<ipp_orient_t>(ippGetInteger(given, 0));
  }
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(papplJobGetPrinter(job), &data);
  return data.orient_default;
}

std::variant<CardSettings, std::string> CardSettingsOf(const pappl_pr_options_t& options,
                                                       ipp_orient_t orientation) {
  CardSettings settings = DefaultCardSettings();
  bool portrait = orientation == IPP_ORIENT_PORTRAIT || orientation == IPP_ORIENT_REVERSE_PORTRAIT;
  if (auto reason =
          ApplySetting(settings, "CardOrientation", portrait ? "Portrait" : "Landscape")) {
    return *reason;
  }
  // Monochrome work is the black panel alone.
  if (options.print_color_mode == PAPPL_COLOR_MODE_MONOCHROME) {
    if (auto reason = ApplySetting(settings, "ColorPanels", "False")) return *reason;
  }
  for (const VendorAttribute& row : kVendorAttributes) {
    std::string name(row.name);
    const char* given = cupsGetOption(name.c_str(), options.num_vendor, options.vendor);
    std::string_view value = given != nullptr ? std::string_view(given) : row.fallback;
    auto made = SettingValue(row, value);
    if (auto* refusal = std::get_if<std::string>(&made)) {
      return "The job attribute " + name + " " + *refusal;
    }
    const std::optional<std::string>& setting_value = std::get<0>(made);
    if (!setting_value) continue;
    if (auto reason = ApplySetting(settings, row.setting, *setting_value)) {
      return "The job attribute " + name + " is refused: " + *reason;
    }
  }
  if (options.copies > 1) {
    if (auto reason = ApplySetting(settings, "Copies", std::to_string(options.copies)))
      return *reason;
  }
  if (auto reason = FinishSettings(settings, false)) return *reason;
  return settings;
}
