// PAPPL's raster callbacks for the card printer: each page of a PWG or Apple
// raster is one card, printed through the card-job library with the job's
// settings. The driver's bytes are made whole in the spool
// first and sent to the device when the job ends, so a job that fails or is
// cancelled part-way sends nothing: a card printer given half a job wastes a
// card and ribbon.
#pragma once

#include <pappl/pappl.h>

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned page);
bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                     unsigned y, const unsigned char* line);
bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                   unsigned page);
bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
