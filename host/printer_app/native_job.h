// A job in the card printer's own language (what `cardprint print` writes),
// printed as it is once the job decoder has read it whole and found it well
// formed; a malformed job fails with the decoder's word on where and why,
// and nothing of it reaches the printer.
#pragma once

#include <pappl/pappl.h>

bool PrintNativeJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
