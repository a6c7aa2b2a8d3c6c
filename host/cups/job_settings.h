// The card settings of a CUPS job: the printer description's defaults (the
// PPD named by the PPD environment variable) under the job's own options
// (argv[5]) and its copies (argv[4]), each passed to the card-job library by
// its keyword.
#pragma once

#include <string>
#include <variant>

#include "host/card_job/card_settings.h"

// The settings, or the sentence saying which option is wrong and why.
std::variant<CardSettings, std::string> JobSettings(const char* ppd_path, const char* copies,
                                                    const char* options);
