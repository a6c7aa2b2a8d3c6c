// The card settings of a job the printer application prints: the job's
// orientation and colour mode, its copies as PAPPL hands them over, and every
// vendor attribute of kVendorAttributes (the job's own value, or the
// printer's default), each passed to the card-job library by its setting's
// name.
#pragma once

#include <pappl/pappl.h>

#include <functional>
#include <map>
#include <string>
#include <variant>

#include "host/card_job/card_settings.h"

// What the job itself asked for (its own attribute, or the printer's
// default) where PAPPL hands the raster callbacks something else: it lays a
// landscape picture on the portrait card page itself and then says
// "portrait", and it may make a grey raster of a colour job or a colour one
// of a monochrome job; it hands over only the vendor attributes the job
// itself gives.
struct JobRequest {
  ipp_orient_t orientation;
  bool monochrome;  // print-color-mode monochrome: the black panel alone
  // The printer's defaults of the vendor attributes (as set in the web
  // interface), by attribute name: what a job that does not give one gets.
  std::map<std::string, std::string, std::less<>> vendor_defaults;
};
JobRequest RequestOf(pappl_job_t* job);

// The settings made final, or the sentence saying which attribute is wrong
// and why.
std::variant<CardSettings, std::string> CardSettingsOf(const pappl_pr_options_t& options,
                                                       const JobRequest& request);
