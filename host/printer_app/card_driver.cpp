#include "host/printer_app/card_driver.h"

#include <cstring>
#include <string>

#include "host/card_job/svg_design.h"
#include "host/printer_app/native_job.h"
#include "host/printer_app/raster_job.h"
#include "host/printer_app/vendor_attributes.h"

namespace {

constexpr int kResolution = 300;

// The card printer has no light, sound or display the host can reach; an
// identify request is written to the printer's log, where the web
// interface's administrator sees it.
void Identify(pappl_printer_t* printer, pappl_identify_actions_t, const char* message) {
  papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify: %s",
                  message != nullptr && *message != '\0' ? message : "the card printer");
}

void AddVendorAttributes(pappl_pr_driver_data_t* data, ipp_t* attributes) {
  for (const VendorAttribute& row : kVendorAttributes) {
    std::string name(row.name);
    std::string supported = name + "-supported";
    std::string fallback = name + "-default";
    std::string value(row.fallback);
    switch (row.kind) {
      case VendorKind::kBoolean:
        ippAddBoolean(attributes, IPP_TAG_PRINTER, supported.c_str(), 1);
        ippAddBoolean(attributes, IPP_TAG_PRINTER, fallback.c_str(), value == "true");
        break;
      case VendorKind::kInteger:
        ippAddRange(attributes, IPP_TAG_PRINTER, supported.c_str(), row.lower, row.upper);
        ippAddInteger(attributes, IPP_TAG_PRINTER, IPP_TAG_INTEGER, fallback.c_str(),
                      std::stoi(value));
        break;
      case VendorKind::kKeyword: {
        ipp_attribute_t* choices = nullptr;
        for (const VendorChoice& choice : row.choices) {
          std::string keyword(choice.keyword);
          if (choices == nullptr) {
            choices = ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supported.c_str(),
                                   nullptr, keyword.c_str());
          } else {
            ippSetString(attributes, &choices, ippGetCount(choices), keyword.c_str());
          }
        }
        ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, fallback.c_str(), nullptr,
                     value.c_str());
        break;
      }
      case VendorKind::kText:
        // A text attribute has no -supported values: PAPPL's command line
        // and web interface then take it as text.
        ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_TEXT, fallback.c_str(), nullptr,
                     value.c_str());
        break;
    }
    data->vendor[data->num_vendor++] = row.name.data();
  }
}

// What IPP Everywhere asks a printer to state that PAPPL leaves to the
// driver: no preferred attributes, one-sided raster, and the rendering intent
// left to the printer (the driver's colour correction is its own).
void AddEverywhereAttributes(ipp_t* attributes) {
  ippAddBoolean(attributes, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default",
               nullptr, "auto");
  ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported",
               nullptr, "auto");
  ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back",
               nullptr, "normal");
}

}  // namespace

static_assert(kVendorAttributes.size() <= PAPPL_MAX_VENDOR);

bool CardDriver(pappl_system_t*, const char* driver_name, const char*, const char*,
                pappl_pr_driver_data_t* data, ipp_t** attributes, void*) {
  if (std::strcmp(driver_name, kCardDriverName) != 0) return false;

  data->identify_cb = Identify;
  data->printfile_cb = PrintNativeJob;
  data->rstartjob_cb = StartRasterJob;
  data->rstartpage_cb = StartRasterPage;
  data->rwriteline_cb = WriteRasterLine;
  data->rendpage_cb = EndRasterPage;
  data->rendjob_cb = EndRasterJob;

  data->format = kNativeFormat;
  std::strncpy(data->make_and_model, kCardDriverDescription, sizeof data->make_and_model - 1);
  data->ppm = 2;
  data->ppm_color = 1;
  data->kind = PAPPL_KIND_POSTCARD;
  data->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->orient_default = IPP_ORIENT_LANDSCAPE;
  data->color_supported = static_cast<pappl_color_mode_t>(
      PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME);
  data->color_default = PAPPL_COLOR_MODE_COLOR;
  data->content_default = PAPPL_CONTENT_AUTO;
  data->quality_default = IPP_QUALITY_NORMAL;
  data->scaling_default = PAPPL_SCALING_FILL;
  data->raster_types = static_cast<pappl_raster_type_t>(PAPPL_PWG_RASTER_TYPE_SRGB_8 |
                                                        PAPPL_PWG_RASTER_TYPE_SGRAY_8);
  data->sides_supported = PAPPL_SIDES_ONE_SIDED;
  data->sides_default = PAPPL_SIDES_ONE_SIDED;

  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = kResolution;
  data->x_default = data->y_default = kResolution;

  data->borderless = true;
  data->left_right = 0;
  data->bottom_top = 0;
  data->num_media = 1;
  data->media[0] = kCardMedia;
  data->num_source = 1;
  data->source[0] = "main";
  data->num_type = 1;
  data->type[0] = "plastic";
  pappl_media_col_t& card = data->media_ready[0];
  std::strncpy(card.size_name, kCardMedia, sizeof card.size_name - 1);
  std::strncpy(card.source, "main", sizeof card.source - 1);
  std::strncpy(card.type, "plastic", sizeof card.type - 1);
  card.size_width = 5400;
  card.size_length = 8560;
  data->media_default = card;

  *attributes = ippNew();
  AddVendorAttributes(data, *attributes);
  AddEverywhereAttributes(*attributes);
  return true;
}

void CardPrinterCreated(pappl_printer_t* printer, void*) {
  // One job at a time: further jobs are answered "busy" and their clients
  // send them again, as IPP clients do. The job scheduler of PAPPL 1.3.1
  // can start a queued job twice, or close the device under the next job,
  // when a job is queued while another one ends; with one job active there
  // is no queued job to start twice. The limit narrows the fault without
  // closing it: a second job can still be taken while the first is being
  // received, and when it starts as the first ends its device may be
  // closed under it. The job then ends aborted, saying that the card job
  // could not be sent to the printer, or the server stops in PAPPL's
  // device write. Holding new jobs and starting them from the application
  // would close it, but PAPPL aborts a held streaming (PWG raster) job.
  papplPrinterSetMaxActiveJobs(printer, 1);

  // The YMCKO ribbon, whose level the printer's language does not report.
  pappl_supply_t ribbon{};
  ribbon.color = PAPPL_SUPPLY_COLOR_MULTIPLE;
  std::strncpy(ribbon.description, "YMCKO ribbon", sizeof ribbon.description - 1);
  ribbon.is_consumed = true;
  ribbon.level = -1;
  ribbon.type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
  papplPrinterSetSupplies(printer, 1, &ribbon);
}

const char* CardAutoAdd(const char*, const char*, const char* device_id, void*) {
  if (device_id != nullptr && std::strstr(device_id, "CMD:CARDPRINT") != nullptr) {
    return kCardDriverName;
  }
  return nullptr;
}

const char* NativeFormatOf(const unsigned char* header, size_t size, void*) {
  // Every job in the printer's language begins with ESC "P".
  if (size >= 2 && header[0] == 0x1B && header[1] == 'P') return kNativeFormat;
  // PAPPL tells PNG, JPEG and PDF itself, not SVG.
  if (LooksLikeSvg({header, size})) return "image/svg+xml";
  return nullptr;
}
