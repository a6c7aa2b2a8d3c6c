// Printer descriptions for the settings tests, packed as a device instance
// holds them: the driver's built-in card description, or one read from PPD
// text (for descriptions with more features than the card's).
#pragma once

#include <memory>
#include <string_view>

#include "ppd/records.h"

struct PpdDeleter {
  void operator()(PPDOBJ* ppd) const;
};
using Description = std::unique_ptr<PPDOBJ, PpdDeleter>;

Description BuiltInDescription();
Description DescriptionFromText(std::string_view text);
