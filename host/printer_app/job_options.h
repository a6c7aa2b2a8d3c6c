// The card settings of a job the printer application prints: the job's
// orientation, its colour mode and copies as PAPPL hands them over, and every
// vendor attribute of kVendorAttributes (the job's own value, or the
// printer's default), each passed to the card-job library by its setting's
// name.
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <variant>

#include "host/card_job/card_settings.h"

// The orientation the job asked for (its orientation-requested, or the
// printer's default). PAPPL lays a landscape picture on the portrait card
// page itself and then hands the raster callbacks "portrait", so the card's
// orientation comes from the job.
ipp_orient_t RequestedOrientation(pappl_job_t* job);

// The settings made final, or the sentence saying which attribute is wrong
// and why.
std::variant<CardSettings, std::string> CardSettingsOf(const pappl_pr_options_t& options,
                                                       ipp_orient_t orientation);
