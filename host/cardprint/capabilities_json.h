// The capabilities a driver reports when an instance is created, as JSON:
// every field of GDIINFO and DEVINFO by its platform name, points as
// {"x", "y"}, sizes as {"cx", "cy"}, colour records and fonts as objects of
// their fields, handles as whether they are set.
#pragma once

#include <nlohmann/json.hpp>

#include "engine/records.h"

nlohmann::ordered_json GdiInfoJson(const GDIINFO& gdi);
nlohmann::ordered_json DevInfoJson(const DEVINFO& devinfo);
