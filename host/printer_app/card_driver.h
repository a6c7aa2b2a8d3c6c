// The printer application's one driver, the card printer: what the printer
// takes (the ID-1 card, 300 dpi, sRGB and grey raster, its own language) and
// the card's settings as vendor attributes with their supported values and
// defaults; the raster and native-job callbacks print through the card-job
// library.
#pragma once

#include <pappl/pappl.h>

inline constexpr const char* kCardDriverName = "cardprint";
inline constexpr const char* kCardDriverDescription = "cardprint Card Printer";
inline constexpr const char* kCardDeviceId = "MFG:cardprint;MDL:Card Printer;CMD:CARDPRINT;";
// The printer's own language as a document format.
inline constexpr const char* kNativeFormat = "application/vnd.cardprint-job";
// The one medium, named as PWG's self-describing names are: an ID-1 card of
// 54 by 85.6 mm, printed borderless.
inline constexpr const char* kCardMedia = "om_id-1-card_54x85.6mm";

// PAPPL's driver callback for kCardDriverName.
bool CardDriver(pappl_system_t* system, const char* driver_name, const char* device_uri,
                const char* device_id, pappl_pr_driver_data_t* data, ipp_t** attributes,
                void* context);

// PAPPL's printer-created callback: the printer's supplies (the ribbon).
void CardPrinterCreated(pappl_printer_t* printer, void* context);

// PAPPL's auto-add callback: the card printer's driver for a device that
// says it speaks the card printer's language.
const char* CardAutoAdd(const char* device_info, const char* device_uri, const char* device_id,
                        void* context);

// PAPPL's MIME callback: kNativeFormat for a document that begins with the
// printer's document start, image/svg+xml for an SVG drawing, null otherwise.
const char* NativeFormatOf(const unsigned char* header, size_t size, void* context);
