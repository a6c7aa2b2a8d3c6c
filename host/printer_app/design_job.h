// Designs sent to the printer application as files (PNG, JPEG, PDF, SVG)
// are read by the card-job library's design reader, as `cardprint print`
// reads them: turned by their Exif orientation, brought to sRGB through
// their colour profile, CMYK JPEGs converted, PDF pages and SVG drawings
// drawn at the card's resolution; one card per page, each fitted to cover
// the card. The job is made whole in the spool and then sent to the device.
#pragma once

#include <pappl/pappl.h>

#include <array>

// The document formats read as designs.
inline constexpr std::array<const char*, 4> kDesignFormats{
    "image/png", "image/jpeg", "application/pdf", "image/svg+xml"};

// PAPPL's filter callback for kDesignFormats: prints the job's document.
bool PrintDesignJob(pappl_job_t* job, pappl_device_t* device, void* context);
