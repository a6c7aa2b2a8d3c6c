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

JobRequest RequestOf(pappl_job_t* job) {
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(papplJobGetPrinter(job), &data);
  JobRequest request{data.orient_default, data.color_default == PAPPL_COLOR_MODE_MONOCHROME, {}};
  if (ipp_attribute_t* given = papplJobGetAttribute(job, "orientation-requested")) {
    request.orientation = static_cast<ipp_orient_t>(ippGetInteger(given, 0));
  }
  if (ipp_attribute_t* given = papplJobGetAttribute(job, "print-color-mode")) {
    const char* mode = ippGetString(given, 0, nullptr);
    request.monochrome = mode != nullptr && std::string_view(mode) == "monochrome";
  }
  ipp_t* attributes = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
  for (const VendorAttribute& row : kVendorAttributes) {
    std::string name(row.name);
    if (ipp_attribute_t* fallback =
            ippFindAttribute(attributes, (name + "-default").c_str(), IPP_TAG_ZERO)) {
      char value[1024];
      ippAttributeString(fallback, value, sizeof value);
      request.vendor_defaults[name] = value;
    }
  }
  ippDelete(attributes);
  return request;
}

std::variant<CardSettings, std::string> CardSettingsOf(const pappl_pr_options_t& options,
                                                       const JobRequest& request) {
  CardSettings settings = DefaultCardSettings();
  bool portrait = request.orientation == IPP_ORIENT_PORTRAIT ||
                  request.orientation == IPP_ORIENT_REVERSE_PORTRAIT;
  if (auto reason =
          ApplySetting(settings, "CardOrientation", portrait ? "Portrait" : "Landscape")) {
    return *reason;
  }
  for (const VendorAttribute& row : kVendorAttributes) {
    std::string name(row.name);
    const char* given = cupsGetOption(name.c_str(), options.num_vendor, options.vendor);
    auto printer_default = request.vendor_defaults.find(name);
    std::string_view value = given != nullptr ? std::string_view(given)
                             : printer_default != request.vendor_defaults.end()
                                 ? std::string_view(printer_default->second)
                                 : row.fallback;
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
  // Monochrome work is the black panel alone, whatever the panel settings.
  if (request.monochrome) {
    if (auto reason = ApplySetting(settings, "ColorPanels", "False")) return *reason;
  }
  if (options.copies > 1) {
    if (auto reason = ApplySetting(settings, "Copies", std::to_string(options.copies)))
      return *reason;
  }
  if (auto reason = FinishSettings(settings, false)) return *reason;
  return settings;
}
